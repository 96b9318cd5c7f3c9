#include "app/frame_cycle.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "app/breaklines.h"
#include "app/comparison_surface.h"
#include "app/cut_fill_view.h"
#include "app/navigation.h"
#include "app/pipeline.h"
#include "app/render_frame.h"
#include "app/site_model.h"
#include "app/status_display.h"
#include "app/surface_files.h"
#include "app/view_settings.h"
#include "app/window_open.h"
#include "platform/ui.h"
#include "render/bitmap_text.h"
#include "render/frame_buffer.h"
#include "render/status_overlay.h"

namespace vellacor {

double elapsedSince(Clock::time_point stamp) {
    return std::chrono::duration<double>(Clock::now() - stamp).count();
}

namespace {

void ensureFrameSize(SiteModel& model, int clientWidth, int clientHeight) {
    FrameBuffer& f = model.renderer.frame;
    if (f.clientWidth != clientWidth || f.clientHeight != clientHeight || !f.hasBuffers())
        resizeFrameBuffer(model, clientWidth, clientHeight);
    if (!f.bitmapExists && f.hasBuffers()) createFrameBitmap(f, model.renderer.palette[0]);
}

// The start picture, read once, stretched over the frame in its own colours.
const Palette& drawStartScreen(SiteModel& model, Ui& ui) {
    FrameBuffer& f = model.renderer.frame;
    if (!model.renderer.logoTried) {
        model.renderer.logoTried = true;
        if (!model.renderer.programFolder.empty())
            loadTexture(model.renderer.logo, ui, (std::filesystem::path(model.renderer.programFolder) / "logo.bmp").string());
    }
    if (!model.renderer.logo.loaded()) {
        std::fill(f.displayBits.begin(), f.displayBits.end(), static_cast<std::uint8_t>(kBackgroundColour));
        return f.bitmapPalette;
    }
    stretchImage(model.renderer.logo, f.displayBits.data(), f.clientWidth, f.viewHeight, f.viewWidth);
    return model.renderer.logo.palette;
}

// While a file is read on a worker: the plain background and the read's progress.
const Palette& drawOpeningProgress(SiteModel& model, const std::string& message, OverlayTextList& text) {
    FrameBuffer& f = model.renderer.frame;
    std::fill(f.displayBits.begin(), f.displayBits.end(), static_cast<std::uint8_t>(kBackgroundColour));
    drawProgress(f, message, model.work.openingProgress.load(), text);
    return f.bitmapPalette;
}

bool decideViewMoving(const SiteModel& model) {
    bool moving = false;
    if (model.input.leftButtonDown && elapsedSince(model.input.leftPressTime) >= 0.2)
        moving = true;
    else if (model.input.rightButtonDown && elapsedSince(model.input.rightPressTime) >= 0.2)
        moving = true;
    if (!model.document.breaklines.ready()) moving = true;
    if (model.input.selectedPoint != kNoSelection) moving = true;
    return moving;
}

}  // namespace

void paintFrame(SiteModel& model, Ui& ui, int clientWidth, int clientHeight, RgbImage& picture) {
    ensureFrameSize(model, clientWidth, clientHeight);
    FrameBuffer& f = model.renderer.frame;
    OverlayTextList text;
    const Palette* palette = &f.bitmapPalette;
    if (f.hasBuffers() && !f.displayBits.empty()) {
        if (!model.document.documentLoaded) {
            const std::optional<std::string> reading = openingProgressMessage(model);
            palette = reading ? &drawOpeningProgress(model, *reading, text) : &drawStartScreen(model, ui);
        } else {
            if (model.document.pointFileFormat == PointFileFormat::Demo) stepDemoSurface(model);
            runPipeline(model, ui, true);
            stepComparisonSurface(model, ui);
            stepCutFillDifference(model);
            bool viewMoving = decideViewMoving(model);
            const ViewPointer pointer(model, ui);  // the fly-to follows the mouse during this frame
            const CameraStep camera = model.camera.Update(cameraInputsOf(model));
            if (camera.modeEnded) model.renderer.redrawNeeded = true;
            if (camera.moved) {
                model.renderer.redrawNeeded = true;
                viewMoving = true;
            }
            if (ui.isForeground() && keyboardFlight(model, ui)) {
                // Flying stops an automatic mode. Stationary stays as it is: going
                // through SetMode again would run a second camera step each
                // frame and a held key would settle at less than its speed.
                const CameraMode mode = model.camera.mode;
                if (mode != CameraMode::FlyTo && mode != CameraMode::Freelook && mode != CameraMode::Stationary)
                    model.camera.SetMode(cameraInputsOf(model), CameraMode::Stationary);
                model.renderer.redrawNeeded = true;
                viewMoving = true;
            }
            if (model.input.leftButtonDown || model.input.rightButtonDown) viewMoving = true;
            // After a hold the picture comes back in full quality.
            if (model.input.longPressEnded) {
                model.input.longPressEnded = false;
                model.renderer.redrawNeeded = true;
            }
            renderFrame(model, viewMoving, text);
            if (model.cycle.forceRedrawOnce) {
                model.cycle.forceRedrawOnce = false;
                model.renderer.redrawNeeded = true;
            }
            drawStatusOverlay(model, text);
            insertBreaklinesStep(model);  // pending breaklines, a few per frame
        }
        paletteToRgb(f.displayBits.data(), f.clientWidth, f.viewHeight, f.viewWidth, *palette, picture);
        BitmapTextPainter painter(picture);
        paintOverlayText(painter, text);
    } else {
        picture = RgbImage{std::max(clientWidth, 0), std::max(clientHeight, 0), {}};
        picture.pixels.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height),
                              0xFF000000u);
    }
    const Clock::time_point now = model.cycle.now();
    model.cycle.frameSeconds = std::chrono::duration<double>(now - model.cycle.frameStamp).count();
    model.cycle.frameStamp = now;
}

}  // namespace vellacor
