#include "app/navigation.h"

#include <algorithm>

#include "app/breaklines.h"
#include "app/cad_overlays.h"
#include "app/document.h"
#include "app/section_save.h"
#include "app/surface_finished.h"
#include "app/frame_cycle.h"
#include "app/limit_polygon_edit.h"
#include "app/point_editing.h"
#include "app/site_model.h"
#include "camera/vector_math.h"
#include "platform/ui.h"
#include "platform/virtual_keys.h"
#include "render/frame_projection.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

constexpr double kTurnPerPixel = 0.005;
constexpr double kZoomPerPixel = 0.0075;
constexpr double kNearestZoomFactor = 0.1;
constexpr double kWheelZoom = 0.85;
constexpr int kWheelNotch = 120;

std::optional<Vec3> groundUnderCursor(const SiteModel& model) {
    if (!model.input.cursorInView) return std::nullopt;
    return groundAt(model, Pixel{model.input.cursorX, model.input.cursorY});
}


// Ctrl + double-click: picks an end of the cross section on the ground under
// `at`. After the second end the section is offered for saving and dropped,
// whether it was saved or not. The section is laid on the surface through its
// neighbour links, so it waits for them.
void sectionDoubleClick(SiteModel& model, Ui& ui, Pixel at) {
    if (!surfaceFinished(model.document)) return;
    std::optional<SectionLine>& section = model.input.section;
    if (!section) section.emplace();
    if (pickSectionPoint(*section, groundAt(model, at))) {
        const SectionLine picked = *section;
        section.reset();
        if (const auto path = ui.chooseSaveFile("dxf", "DXF file (*.dxf)|*.dxf||", "Section_AA"))
            if (const std::optional<std::string> saved = saveSectionDrawing(model, ui, picked, *path))
                ui.message(*saved, MessageKind::Information);
    }
    model.renderer.redrawNeeded = true;
}

// The end of a left press, whether its release came or was lost: a hold
// asks for the full-quality redraw, and the drag states end.
void endLeftPress(SiteModel& model) {
    InteractionState& in = model.input;
    in.leftButtonDown = false;
    in.leftDragLooking = false;
    if (elapsedSince(in.leftPressTime) >= kHoldSeconds) in.longPressEnded = true;
    releaseLimitPolygon(model);
    in.movingAxis = false;
}

// One right-drag move of dy pixels: a move of more than 120 pixels up would
// bring the eye to the target or through it, so one move comes at most nine
// tenths of the way.
double rightDragZoomFactor(int dy) { return std::max(1.0 + kZoomPerPixel * dy, kNearestZoomFactor); }

}  // namespace

std::optional<Vec3> groundAt(const SiteModel& model, Pixel at) {
    if (!model.document.triangulateStage.done) return std::nullopt;
    return pickGroundPoint(screenDepthOf(model.renderer.frame), model.camera.view, at);
}

void pressLeftButton(SiteModel& model, bool controlHeld) {
    InteractionState& in = model.input;
    in.leftPressTime = Clock::now();
    in.leftButtonDown = true;
    if (pressOnLimitPolygon(model, controlHeld)) return;
    const CameraMode mode = model.camera.mode;
    if (mode != CameraMode::Stationary && mode != CameraMode::FlyTo && mode != CameraMode::Freelook)
        model.camera.SetMode(cameraInputsOf(model), CameraMode::Stationary);
}

void pressRightButton(SiteModel& model) {
    model.input.rightPressTime = Clock::now();
    model.input.rightButtonDown = true;
}

void releaseLeftButton(SiteModel& model, Ui& ui) {
    InteractionState& in = model.input;
    in.leftButtonDown = false;
    const bool click = elapsedSince(in.leftPressTime) < kHoldSeconds;
    if (click && model.document.contourStage.done &&
        (ui.keyDown(vk::LeftShift) || ui.keyDown(vk::RightShift) || ui.keyDown(vk::Shift))) {
        if (const std::optional<Vec3> p = groundUnderCursor(model)) {
            const int t = locateTriangle(surfaceOf(model.document), 0, p->x, p->y);
            if (t != kNoTriangle) pickBreaklineCorner(model, ui, *p, t);
        }
    }
    endLeftPress(model);
}

void releaseRightButton(SiteModel& model) {
    model.input.rightButtonDown = false;
    if (elapsedSince(model.input.rightPressTime) >= kHoldSeconds) model.input.longPressEnded = true;
}

void forgetButtonsLetGo(SiteModel& model, bool leftHeld, bool rightHeld) {
    if (model.input.leftButtonDown && !leftHeld) endLeftPress(model);
    if (model.input.rightButtonDown && !rightHeld) releaseRightButton(model);
}

bool moveMouse(SiteModel& model, Pixel at) {
    InteractionState& in = model.input;
    in.cursorInView = true;
    in.cursorX = at.x;
    in.cursorY = at.y;
    if (!in.mouseSeen) {
        in.mouseSeen = true;
        in.lastMouseX = at.x;
        in.lastMouseY = at.y;
    }
    if (at.x == in.lastMouseX && at.y == in.lastMouseY) return false;
    const int dx = at.x - in.lastMouseX, dy = at.y - in.lastMouseY;  // dy positive downward
    in.lastMouseX = at.x;
    in.lastMouseY = at.y;
    if (dwfAwaitsAlignment(model)) {
        // The mouse moves the flat drawing: left drags it, right zooms it.
        if (in.leftButtonDown) panFlatOverlay(model, dx, dy);
        if (in.rightButtonDown) zoomFlatOverlay(model, dy);
        return in.leftButtonDown || in.rightButtonDown;
    }
    const std::optional<Vec3> ground = groundAt(model, at);
    Camera& camera = model.camera;
    bool changed = false;

    if (in.leftButtonDown && limitPolygonVertexSelected(model)) {
        changed = dragLimitPolygonVertex(model, ground);  // the drag is the vertex's: no look, no axis
    } else if (in.leftButtonDown) {
        if (!in.movingAxis || !ground) {
            if (in.leftDragLooking) {
                if (camera.mode == CameraMode::Stationary) {
                    const CameraInputs inputs = cameraInputsOf(model);
                    camera.OrbitBy(inputs.surface, inputs.site, dx, dy);
                } else {
                    camera.Turn(-dx * kTurnPerPixel, dy * kTurnPerPixel);  // right turns right, down looks down
                }
                changed = true;
            } else if (camera.mode == CameraMode::Stationary && isNearAxis(ground, camera, model.document.siteSize)) {
                in.movingAxis = true;  // the drag started on the axis marker: it carries the target
            } else {
                in.leftDragLooking = true;  // the first move only decides what the drag does
            }
        } else {
            camera.target = *ground;
        }
    } else {
        in.leftDragLooking = false;
    }

    if (!changed && in.rightButtonDown) {
        if (!in.rightDragStarted) {
            in.rightDragStarted = true;  // the first move after the press is not a zoom
        } else if (camera.mode == CameraMode::Stationary && !limitPolygonVertexSelected(model)) {
            camera.Zoom(rightDragZoomFactor(dy));  // down moves away, up closer
            camera.KeepAboveGround(surfaceOf(model.document), siteFrameOf(model.document));
            changed = true;
        }
    } else if (!in.rightButtonDown) {
        in.rightDragStarted = false;
    }
    if (changed) model.renderer.redrawNeeded = true;
    return changed;
}

void turnWheel(SiteModel& model, int delta) {
    const int notches = delta / kWheelNotch;  // truncated toward zero: half a notch does nothing
    // Only a drawing shown for alignment takes the wheel; a hidden one leaves it to the camera.
    if (dwfAwaitsAlignment(model)) {
        zoomFlatOverlay(model, -30 * notches);
        return;
    }
    Camera& camera = model.camera;
    const Vec3 oldEye = camera.eye;
    const std::optional<Vec3> ground = notches > 0 ? groundUnderCursor(model) : std::nullopt;
    if (ground) {
        if (camera.mode == CameraMode::Freelook) camera.target = *ground;
        camera.Zoom(kWheelZoom);
    } else {
        camera.MoveAlong(model.document.siteSize * 0.025 * notches * 3.0);
    }
    if (camera.KeepAboveGround(surfaceOf(model.document), siteFrameOf(model.document)))
        camera.eye = oldEye;
    else
        model.renderer.redrawNeeded = true;
}

void doubleClick(SiteModel& model, Ui& ui, Pixel at, bool controlHeld) {
    SiteDocument& doc = model.document;
    if (!doc.documentLoaded) return;
    if (dwfAwaitsAlignment(model)) {
        alignmentDoubleClick(model, ui, at.x, at.y);
        return;
    }
    if (controlHeld) {
        sectionDoubleClick(model, ui, at);
        return;
    }
    onPointDoubleClick(model, ui, at);
}

std::span<const FlightKeys> flightKeys() {
    // In the order the pushes add up.
    static constexpr FlightKeys kKeys[] = {
        {vk::Space, vk::Numpad0, FlightPush::Up, "fly up"}, {'X', vk::Decimal, FlightPush::Down, "fly down"},
        {vk::Left, 'A', FlightPush::Left, "fly left"},      {vk::Right, 'D', FlightPush::Right, "fly right"},
        {vk::Up, 'W', FlightPush::Forward, "fly forward"},  {vk::Down, 'S', FlightPush::Back, "fly back"},
    };
    return kKeys;
}

bool keyboardFlight(SiteModel& model, const Ui& ui) {
    Camera& camera = model.camera;
    const double a = 0.025 * model.document.siteSize;
    const Vec3& d = camera.direction;
    const Vec3 right = normalise(cross(d, camera.up));
    const Vec3 up = normalise(cross(right, d));
    const auto by = [&](FlightPush push) -> Vec3 {
        switch (push) {
            case FlightPush::Up: return a * up;
            case FlightPush::Down: return -a * up;
            case FlightPush::Left: return -a * right;
            case FlightPush::Right: return a * right;
            case FlightPush::Forward: return a * d;
            case FlightPush::Back: return -a * d;
        }
        return {};
    };
    bool changed = false;
    for (const FlightKeys& keys : flightKeys())
        if (ui.keyDown(keys.key) || ui.keyDown(keys.otherKey)) {
            camera.velocity += by(keys.push);
            changed = true;
        }

    // Holding the right button outside Stationary flies to the ground under the cursor.
    const InteractionState& in = model.input;
    if (model.document.documentLoaded && !dwfAwaitsAlignment(model) && in.rightButtonDown && !in.leftButtonDown &&
        camera.mode != CameraMode::Stationary && groundUnderCursor(model)) {
        camera.SetMode(cameraInputsOf(model), CameraMode::FlyTo);
        model.renderer.redrawNeeded = true;
        changed = true;
    }
    return changed;
}

ViewPointer::ViewPointer(SiteModel& model, Ui& ui) : model_(model), ui_(ui) { model_.camera.pointer = this; }

ViewPointer::~ViewPointer() { model_.camera.pointer = nullptr; }

std::optional<Vec3> ViewPointer::groundUnderCursor() { return vellacor::groundUnderCursor(model_); }

bool ViewPointer::rightButtonHeld() const { return model_.input.rightButtonDown; }

void ViewPointer::placeCursorAt(int x, int y) {
    model_.input.cursorX = x;
    model_.input.cursorY = y;
    ui_.moveCursorToPixel(x, y);
}

}  // namespace vellacor
