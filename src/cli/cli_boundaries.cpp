#include "cli/cli_boundaries.h"

namespace vellacor {

namespace {

void addPolygons(SiteDocument& document, const std::vector<std::vector<PlanPoint>>& polygons, BoundaryKind kind) {
    for (const std::vector<PlanPoint>& polygon : polygons)
        document.boundaries.polygons.push_back({kind, planCornersOf(polygon)});
}

}  // namespace

void applyCliBoundaries(SiteDocument& document, const CliArgs& args) {
    addPolygons(document, args.boundaries, BoundaryKind::Outer);
    addPolygons(document, args.hides, BoundaryKind::Hide);
    if (args.maxEdge) document.boundaries.maxEdgeLength = *args.maxEdge;
}

}  // namespace vellacor
