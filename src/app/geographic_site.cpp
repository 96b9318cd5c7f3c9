#include "app/geographic_site.h"

#include <vector>

#include "export/gis_crs.h"
#include "model/site_document.h"
#include "platform/ui.h"

namespace vellacor {

void projectSiteFromDegrees(SiteDocument& document, Ui& ui) {
    if (!isGeographicCoordinateSystem(document.coordinateSystem)) return;
    std::vector<double> x, y;
    const auto count = static_cast<std::size_t>(document.pointCount);
    x.reserve(count);
    y.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        x.push_back(document.points[i].easting);
        y.push_back(document.points[i].northing);
    }
    for (const SurfaceBoundary& boundary : document.boundaries.polygons)
        for (const Vec3& corner : boundary.corners) {
            x.push_back(corner.x);
            y.push_back(corner.y);
        }
    const DegreeProjection projection = projectFromDegrees(document.coordinateSystem, x, y);
    if (!projection.problem.empty()) ui.message(projection.problem);
    if (projection.definition.empty()) return;

    std::size_t at = 0;
    for (std::size_t i = 0; i < count; ++i, ++at) {
        document.points[i].easting = x[at];
        document.points[i].northing = y[at];
    }
    for (SurfaceBoundary& boundary : document.boundaries.polygons)
        for (Vec3& corner : boundary.corners) {
            corner.x = x[at];
            corner.y = y[at++];
        }
    ui.message("The site's coordinate system, " + coordinateSystemLabel(document.coordinateSystem) +
               ", is one of longitudes and latitudes: its points are projected to " + projection.name + " (" +
               projection.definition + "), their elevations as they were.");
    document.coordinateSystem = projection.definition;
}

}  // namespace vellacor
