#include "app/surface_boundary_edit.h"

#include "app/site_model.h"
#include "app/surface_stages.h"

namespace vellacor {

bool canAddSurfaceBoundary(const SiteModel& model) {
    const SiteDocument& d = model.document;
    return d.triangulateStage.done && !d.triangulateStage.running && d.contourStage.done && d.triangleCount > 0 &&
           d.breaklines.ready();
}

bool addSurfaceBoundary(SiteModel& model, SurfaceBoundary boundary) {
    if (!canAddSurfaceBoundary(model) || boundary.corners.size() < 3) return false;
    SiteDocument& d = model.document;
    stopSurfaceWorkers(model);  // the link, volume and cut/fill workers read the triangles
    model.work.shading.cancel();
    d.boundaries.polygons.push_back(std::move(boundary));
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

}  // namespace vellacor
