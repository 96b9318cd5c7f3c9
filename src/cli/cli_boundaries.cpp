#include "cli/cli_boundaries.h"

namespace vellacor {

namespace {

void addPolygons(SiteRequest& request, const std::vector<std::vector<PlanPoint>>& polygons, BoundaryKind kind) {
    for (const std::vector<PlanPoint>& polygon : polygons) request.boundaries.push_back({kind, planCornersOf(polygon)});
}

}  // namespace

SiteRequest siteRequestOf(const CliArgs& args, const std::string& path, bool withBoundaries) {
    SiteRequest request;
    request.path = path;
    request.coordinateSystem = args.crs;
    request.thinCell = args.thinCell;
    if (!withBoundaries) return request;
    addPolygons(request, args.boundaries, BoundaryKind::Outer);
    addPolygons(request, args.hides, BoundaryKind::Hide);
    request.maxEdge = args.maxEdge;
    return request;
}

}  // namespace vellacor
