#include "app/surface_boundary_edit.h"

#include <cmath>

#include "app/site_edits.h"
#include "app/site_model.h"
#include "app/surface_finished.h"
#include "app/surface_stages.h"
#include "platform/ui.h"
#include "surface/boundary_trim.h"

namespace vellacor {

bool canAddSurfaceBoundary(const SiteModel& model) {
    return surfaceFinished(model.document);
}

bool addSurfaceBoundary(SiteModel& model, SurfaceBoundary boundary) {
    if (!canAddSurfaceBoundary(model) || boundary.corners.size() < 3) return false;
    SiteDocument& d = model.document;
    stopSurfaceWorkers(model);  // the link, volume and cut/fill workers read the triangles
    model.work.shading.cancel();
    d.boundaries.polygons.push_back(std::move(boundary));
    markSiteChanged(model, SiteChange::Boundaries);
    // The link stage cuts the surface: with its links known it only trims.
    d.contourStage.invalidate();
    d.contourStage.enabled = true;
    d.shadingStage.invalidate();
    d.shadingStage.enabled = true;
    model.work.surfaceWork.hullTriangleCount = -1;
    forgetSurfaceCaches(model.renderer);
    model.water.rainSystem.reset();
    model.water.ponds.reset();
    model.renderer.redrawNeeded = true;
    return true;
}

bool makeLimitPolygonBoundary(SiteModel& model) {
    const std::optional<LimitPolygon>& polygon = model.document.contours.limitPolygon;
    if (!polygon) return false;
    return addSurfaceBoundary(model, {BoundaryKind::Outer, polygon->vertices});
}

namespace {

// A CAD line that returns to its first corner after two others at least.
bool isClosedPolygon(const CadLine& line) {
    const std::vector<Vec3>& v = line.vertices;
    return v.size() >= 4 && v.front().x == v.back().x && v.front().y == v.back().y;
}

double planArea(const std::vector<Vec3>& ring) {
    double twice = 0;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) twice += ring[i].x * ring[i + 1].y - ring[i + 1].x * ring[i].y;
    return 0.5 * std::abs(twice);
}

}  // namespace

bool makeCadPolylineBoundary(SiteModel& model, Ui& ui) {
    const SiteDocument& d = model.document;
    const CadOverlay* overlay = model.overlays.dxfOverlay.get();
    const int selected = model.input.selectedPoint;
    const CadLine* best = nullptr;
    double bestArea = 0;
    if (overlay && isPointIndex(d, selected)) {
        const SurveyPoint& p = pointAt(d, selected);
        for (const CadLine& line : overlay->lines) {
            if (!isClosedPolygon(line) || !PlanPolygonTest(line.vertices).contains(p.easting, p.northing)) continue;
            const double area = planArea(line.vertices);
            if (!best || area < bestArea) best = &line, bestArea = area;
        }
    }
    if (!best) {
        ui.message(kNoPolylineAroundSelection, MessageKind::Information);
        return false;
    }
    std::vector<Vec3> corners(best->vertices.begin(), best->vertices.end() - 1);  // without the closing corner
    return addSurfaceBoundary(model, {BoundaryKind::Outer, std::move(corners)});
}

}  // namespace vellacor
