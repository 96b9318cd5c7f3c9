#include "app/site_open.h"

#include "app/document.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/surface_finished.h"
#include "platform/ui.h"

namespace vellacor {

OpenResult openSite(SiteModel& model, Ui& ui, const SiteRequest& request) {
    const OpenResult result =
        openDocument(model, ui, request.path, request.format, request.coordinateSystem, request.thinCell);
    if (result != OpenResult::Loaded) return result;
    // After the open, which empties the site; before the surface is built,
    // which applies them once the breaklines are in.
    SurfaceBoundaries& b = model.document.boundaries;
    b.polygons.insert(b.polygons.end(), request.boundaries.begin(), request.boundaries.end());
    if (request.maxEdge) b.maxEdgeLength = *request.maxEdge;
    return result;
}

OpenResult openSiteSurface(SiteModel& model, Ui& ui, const SiteRequest& request) {
    const OpenResult result = openSite(model, ui, request);
    if (result == OpenResult::Loaded) buildSurfaceToCompletion(model, ui);
    return result;
}

bool openFinishedSurface(SiteModel& model, Ui& ui, const SiteRequest& request, const std::string& refusal) {
    if (openSiteSurface(model, ui, request) != OpenResult::Loaded) return false;
    if (surfaceFinished(model.document)) return true;
    ui.message(refusal);
    return false;
}

}  // namespace vellacor
