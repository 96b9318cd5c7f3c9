#include "app/limit_polygon_edit.h"

#include "app/site_edits.h"
#include "app/site_model.h"
#include "camera/limit_polygon_picking.h"
#include "render/limit_polygon_draw.h"
#include "render/frame_projection.h"
#include "surface/make_limit_polygon.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

LimitPolygon* editablePolygon(SiteModel& model) {
    if (!limitPolygonShown(model)) return nullptr;
    return &*model.document.contours.limitPolygon;
}

Pixel cursorOf(const SiteModel& model) { return {model.input.cursorX, model.input.cursorY}; }

}  // namespace

void makeLimitPolygonWhenReady(SiteModel& model) {
    SiteDocument& d = model.document;
    if (d.contours.limitPolygon || !d.contourStage.done || d.pointFileFormat == PointFileFormat::Raw) return;
    d.contours.limitPolygon = makeLimitPolygon(surfaceOf(d), d.siteCentre, d.siteSize);
    model.renderer.redrawNeeded = true;  // contours limited to it show from now on
}

bool limitPolygonShown(const SiteModel& model) {
    const SiteDocument& d = model.document;
    return d.triangulateStage.done && model.display.showContours && d.contours.limitPolygon &&
           d.contours.contourLimitMode == ContourLimitMode::InsidePolygon;
}

bool pressOnLimitPolygon(SiteModel& model, bool controlHeld) {
    LimitPolygon* polygon = editablePolygon(model);
    if (!polygon || !model.input.cursorInView) return false;
    if (!selectVertexAtCursor(*polygon, model.camera.view, screenDepthOf(model.renderer.frame), cursorOf(model)))
        return false;
    if (controlHeld) {
        duplicateVertex(*polygon, polygon->selectedVertex);
        markSiteChanged(model);
    }
    return true;
}

bool limitPolygonVertexSelected(const SiteModel& model) {
    const auto& polygon = model.document.contours.limitPolygon;
    return polygon && polygon->hasSelection();
}

bool dragLimitPolygonVertex(SiteModel& model, const std::optional<Vec3>& ground) {
    if (!ground || !limitPolygonVertexSelected(model)) return false;
    moveSelectedVertex(*model.document.contours.limitPolygon, *ground);
    markSiteChanged(model);
    return true;
}

void releaseLimitPolygon(SiteModel& model) {
    auto& polygon = model.document.contours.limitPolygon;
    if (!polygon || !polygon->hasSelection()) return;
    if (limitPolygonShown(model) && model.input.cursorInView)
        dropOnNeighbour(*polygon, model.camera.view, screenDepthOf(model.renderer.frame), cursorOf(model));
    polygon->selectedVertex = kNoVertex;
    model.renderer.redrawNeeded = true;  // the contours inside the new outline
}

void limitContoursToPolygon(SiteModel& model, std::span<const Vec3> planCorners) {
    SiteDocument& d = model.document;
    const SurfaceView surface = surfaceOf(d);
    const double offSurface = d.minElevation != kNoElevation ? d.minElevation : 0.0;
    LimitPolygon polygon;
    for (const Vec3& c : planCorners) {
        // One walk per corner, at worst a scan of the triangles.
        const int t = d.triangulateStage.done ? locateTriangle(surface, 0, c.x, c.y) : kNoTriangle;
        polygon.vertices.push_back({c.x, c.y, t == kNoTriangle ? offSurface : planeElevation(surface, t, c.x, c.y)});
    }
    d.contours.limitPolygon = std::move(polygon);
    d.contours.contourLimitMode = ContourLimitMode::InsidePolygon;
    model.renderer.redrawNeeded = true;
}

void drawLimitPolygonOf(SiteModel& model) {
    if (!limitPolygonShown(model)) return;
    drawLimitPolygon(model.renderer.frame, model.camera.view, *model.document.contours.limitPolygon,
                     model.document.contourStage.done);
}

}  // namespace vellacor
