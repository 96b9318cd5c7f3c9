// The GIS writers' entry points: the files are made by the geospatial module,
// loaded the first time one is asked for.
#include "export/gis_export.h"

#include <algorithm>

#include "export/dem_grid.h"
#include "gis_seam/gis_module.h"

namespace vellacor {

// A buffer exists only when the module made it, so the module is there to take it back.
void GisFile::Release::operator()(unsigned char* bytes) const {
    if (const GisModuleFunctions* f = gisModule().functions) f->releaseBuffer(bytes);
}

double demCellSize(const SurfaceView& surface, double asked) {
    if (asked > 0.0) return asked;
    const PlanBox box = triangleBox(surface);
    const double longer = std::max(box.east - box.west, box.north - box.south);
    return longer > 0 ? longer / kDefaultDemCellsAcross : 1.0;
}

const char* gisLayerName(GisLayer layer) {
    switch (layer) {
        case GisLayer::Points: return "points";
        case GisLayer::Contours: return "contours";
        case GisLayer::Breaklines: return "breaklines";
        case GisLayer::Tin: return "tin";
    }
    return "points";
}

GisWriteResult makeGisFiles(const std::string& target, const SiteDocument& document, const GisOptions& options) {
    GisWriteResult result;
    const GisModuleFunctions* f = gisModule().functions;
    if (!f) {
        result.refusal = "The GIS writer could not be loaded: " + gisModule().problem;
        return result;
    }
    // GeoJSON coordinates are WGS 84 longitudes and latitudes: a site in a
    // system the library does not know cannot be written as them.
    if (options.format == GisFormat::GeoJson &&
        (document.coordinateSystem.empty() || !f->knowsCoordinateSystem(document.coordinateSystem))) {
        result.refusal = kGeoJsonNeedsCoordinateSystem;
        return result;
    }
    return f->makeGisFiles(target, document, options);
}

}  // namespace vellacor
