#include "app/render_frame.h"

#include <chrono>
#include <cmath>
#include <span>

#include "app/limit_polygon_edit.h"
#include "app/cad_overlays.h"
#include "app/cut_fill_view.h"
#include "app/navigation.h"
#include "app/scene_rebuild.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "app/water.h"
#include "camera/picking.h"
#include "camera/vector_math.h"
#include "render/axis_marker.h"
#include "render/cad_overlay_draw.h"
#include "render/frame_buffer.h"
#include "render/scene.h"
#include "render/surface_textures.h"
#include "section/section_draw.h"
#include "surface/contour_draw.h"
#include "surface/drape.h"
#include "surface/surface_work.h"

namespace vellacor {

namespace {

// The point drawn under the cursor, of those the last rebuild placed.
int pointUnderCursor(const SiteModel& model, Pixel cursor) {
    const SiteDocument& d = model.document;
    return pickNearestPoint(d.points, d.documentLoaded ? d.pointCount : 0, model.renderer.sceneView,
                            screenDepthOf(model.renderer.frame), cursor);
}

// From the point picked first towards the cursor, while the user looks for
// the second end of a breakline: to another point, or over the ground.
void drawSelectionBand(SiteModel& model) {
    if (!model.input.cursorInView || !model.document.contourStage.done) return;
    const SurveyPoint& s = model.document.points[static_cast<std::size_t>(model.input.selectedPoint)];
    const Vec3 from{s.easting, s.northing, s.elevation};
    const Pixel cursor{model.input.cursorX, model.input.cursorY};
    const int other = pointUnderCursor(model, cursor);
    if (other != kNoPoint && other != model.input.selectedPoint) {
        const SurveyPoint& o = model.document.points[static_cast<std::size_t>(other)];
        drawDrapedLine(model, from, {o.easting, o.northing, o.elevation}, 5);
        return;
    }
    const std::optional<Vec3> ground = groundAt(model, cursor);
    if (!ground) return;
    const double dx = ground->x - from.x, dy = ground->y - from.y;
    const double planDistance = std::hypot(dx, dy);
    if (planDistance >= 15.0) {
        drawDrapedLine(model, from, *ground, 1);
        return;
    }
    if (planDistance == 0.0) return;
    // Close by: a short arrow showing where a wall point would go.
    const double ux = dx / planDistance, uy = dy / planDistance;
    const Vec3 tip{from.x + ux * planDistance, from.y + uy * planDistance, 0};
    const double head = 0.3 * planDistance;
    drawDrapedLine(model, from, tip, 4);
    drawDrapedLine(model, tip, {tip.x - head * (ux - 0.5 * uy), tip.y - head * (uy + 0.5 * ux), 0}, 4);
    drawDrapedLine(model, tip, {tip.x - head * (ux + 0.5 * uy), tip.y - head * (uy - 0.5 * ux), 0}, 4);
}

// Highlighted while it is dragged, or while the still mouse rests on it.
void drawAxisMarkerOf(SiteModel& model) {
    const InteractionState& in = model.input;
    const Camera& camera = model.camera;
    bool highlighted = in.movingAxis;
    if (!highlighted && !in.leftButtonDown && !in.rightButtonDown && in.cursorInView)
        highlighted = isNearAxis(groundAt(model, Pixel{in.cursorX, in.cursorY}), camera, model.document.siteSize);
    drawAxisMarker(model.renderer.frame, camera.view, camera.target, axisRadius(camera, model.document.siteSize),
                   highlighted);
}

// The cross section being picked, towards the ground under the cursor. Its
// drape needs the neighbour links.
void drawSectionOf(SiteModel& model) {
    const InteractionState& in = model.input;
    if (!in.section || !model.document.contourStage.done) return;
    const std::optional<Vec3> cursorGround =
        in.cursorInView ? groundAt(model, Pixel{in.cursorX, in.cursorY}) : std::nullopt;
    drawSection(model.renderer.frame, model.camera.view, linkedSurfaceOf(model), extentsOf(model.document),
                *in.section, cursorGround);
}

// The draped DXF and DWF drawings, once their drapes are made.
void drawCadOverlays(SiteModel& model) {
    const SiteDocument& d = model.document;
    const OverlayState& o = model.overlays;
    if (model.display.showDxfOverlay && o.dxfOverlay && d.dxfOverlayStage.done)
        drawDrapedCadLines(model.renderer.frame, model.camera.view, o.dxfOverlay->draped);
    if (model.display.showDwfOverlay && o.dwfOverlay && o.dwfOverlay->aligned && d.dwfOverlayStage.done)
        drawDrapedCadLines(model.renderer.frame, model.camera.view, o.dwfOverlay->draped);
}

}  // namespace

void renderFrame(SiteModel& model, bool viewMoving, OverlayTextList& text) {
    RendererState& r = model.renderer;
    SiteDocument& d = model.document;
    FrameBuffer& f = r.frame;
    if (!f.hasBuffers() || f.displayBits.empty()) return;
    // While the surface is being built, the scene is drawn again when the
    // builder has shown more of its mesh (every ~0.1 s), not on every frame:
    // a frame of a million points would slow the build it shows. Nor sooner
    // than four times the last such drawing took: with ten million points a
    // drawing takes a second, and drawing without a pause held a core the
    // build needed. Nor when the build would be done before the drawing.
    const bool growing = !d.triangulateStage.done && d.triangulateStage.running;
    const auto drawingStarted = std::chrono::steady_clock::now();
    const double progress = d.progress.load();
    if (growing && drawingStarted >= r.nextGrowingDraw &&
        !growingDrawOutlastsBuild(model.cycle.lastGrowingDraw, progress, drawingStarted) &&
        takeGrowingMesh(model.work.growingMesh, r.shownMesh))
        r.redrawNeeded = true;
    const bool growingDrawn = growing && r.redrawNeeded;
    // The last copy of the growing mesh (240 MB at ten million points) is not
    // needed once the mesh is whole: the worker then makes the surface's
    // records, at the build's peak. Should the view move meanwhile, the
    // points are drawn without it for the moment that takes.
    if (r.shownMesh.triangles.capacity() > 0 &&
        (d.triangulateStage.done || growingMeshFinished(model.work.growingMesh)))
        std::vector<MeshTriangle>().swap(r.shownMesh.triangles);
    const bool flatDrawing = dwfAwaitsAlignment(model);
    if (r.redrawNeeded && flatDrawing) {
        // Only the drawing is shown, flat, while it waits for its alignment.
        clearSceneBuffers(f);
        r.sceneCornersFresh = false;
        drawFlatCadLines(f, model.overlays.dwfOverlay->lines, model.overlays.dwfOverlay->view);
        r.redrawNeeded = false;
    } else if (r.redrawNeeded) {
        // Cleared first: a pass may ask for the next frame's rebuild (the swirling texture does).
        r.redrawNeeded = false;
        r.sceneCornersFresh = false;
        model.camera.BuildView(model.display.verticalScale, f.viewWidth, f.viewHeight);
        drawSurfaceAndContours(model, viewMoving);
        drawCutFillZeroLine(model);
        if (d.triangulateStage.done) {
            // A moving frame of a coarser surface outlines its own triangles,
            // draws the breaklines between the document's points, and shows
            // the normals again once the view rests.
            if (r.drawingDetail) {
                DisplaySwitches outlines{}, breaklines{};
                outlines.showTriangles = model.display.showTriangles;
                breaklines.showBreaklines = model.display.showBreaklines;
                drawOverlayLayer(r, r.detailFrame.surface(), model.camera.view, outlines, false, d.siteSize, {});
                drawOverlayLayer(r, surfaceOf(d), model.camera.view, breaklines, false, d.siteSize,
                                 d.breaklines.pairs);
            } else {
                drawOverlayLayer(r, surfaceOf(d), model.camera.view, model.display, d.shadingStage.done, d.siteSize,
                                 d.breaklines.pairs);
            }
            drawCadOverlays(model);
        }
        drawPointLayer(r, validPoints(d), model.display.showPoints && d.documentLoaded, model.input.selectedPoint,
                       model.camera);
        // A selection, once drawn, leaves every point marked ordinary: an
        // added point's own mark lasts until then.
        if (model.input.selectedPoint >= 0 && model.input.selectedPoint < d.pointCount)
            setAllDisplayMarks(d, PointMark::Ordinary);
        drawNorthArrow(f, model.camera.direction);
        if (growingDrawn) {
            const auto drawingEnded = std::chrono::steady_clock::now();
            r.nextGrowingDraw = drawingEnded + 4 * (drawingEnded - drawingStarted);
            model.cycle.lastGrowingDraw = {drawingStarted, progress,
                                           std::chrono::duration<double>(drawingEnded - drawingStarted).count()};
        }
    }
    copySceneToDisplay(f);
    // Ponds and rain draw into the displayed picture.
    stepWater(model);
    drawSectionOf(model);
    drawLimitPolygonOf(model);
    if (r.axisMarkerShown && d.triangulateStage.done && !flatDrawing) drawAxisMarkerOf(model);
    drawSelectionMark(model);
    updateHoverLabel(model, text);
}

void drawSelectionMark(SiteModel& model) {
    if (model.input.selectedPoint < 0 || model.input.selectedPoint >= model.document.pointCount) return;
    const SurveyPoint& p = model.document.points[static_cast<std::size_t>(model.input.selectedPoint)];
    if (drawSelectionCross(model.renderer.frame, cameraSpaceOf(p, model.renderer.sceneView)))
        drawSelectionBand(model);
}

void drawDrapedLine(SiteModel& model, const Vec3& a, const Vec3& b, std::uint8_t colour) {
    std::vector<Vec3> points;
    if (drapeSegment(linkedSurfaceOf(model), a.x, a.y, b.x, b.y, points) > 0)
        drawDrapedPolyline(model.renderer.frame, model.camera.view, points, colour);
}

void updateHoverLabel(SiteModel& model, OverlayTextList& text) {
    if (model.display.showRain || model.display.showDwfOverlay) return;
    if (length(model.camera.velocity) >= 0.01) return;
    InteractionState& in = model.input;
    // A drag turns the camera, so no label is due; and finding the point under
    // the cursor reads every point, which on a LiDAR site takes longer than
    // drawing the frame. The wait starts again when the button is let go.
    if (in.leftButtonDown || in.rightButtonDown) {
        in.hoverTime = 0.0;
        in.hoverPoint = kNoPoint;
        in.lastHoverTick = Clock::now();
        return;
    }
    const int point = in.cursorInView ? pointUnderCursor(model, Pixel{in.cursorX, in.cursorY}) : kNoPoint;
    const auto now = Clock::now();
    in.hoverTime += std::chrono::duration<double>(now - in.lastHoverTick).count();
    in.lastHoverTick = now;
    if (point != in.hoverPoint) {
        in.hoverTime = 0.0;
        in.hoverPoint = point;
        return;
    }
    if (in.hoverTime <= 0.5 || point == kNoPoint) return;
    const std::span<const SurveyPoint> points = validPoints(model.document);
    const Matrix& view = model.renderer.sceneView;
    if (!drawHoverMark(model.renderer.frame, cameraSpaceOf(points[static_cast<std::size_t>(point)], view))) return;
    addPointLabels(model.renderer.frame, view, points, point, true, true, true, text);
}

}  // namespace vellacor
