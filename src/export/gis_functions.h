#pragma once
#include <string>

#include "export/gis_crs.h"
#include "export/gis_export.h"
#include "system/gis_module.h"

namespace vellacor {

// The GIS writers' and the coordinate systems' work that the geospatial
// module does; the module's `vellacor_gis_functions` returns them.
struct GisFunctions {
    GisWriteResult (*makeFiles)(const std::string& target, const SiteDocument& document, const GisOptions& options);
    void (*releaseBuffer)(unsigned char* bytes);
    bool (*knowsCoordinateSystem)(const std::string& definition);
    std::string (*coordinateSystemLabel)(const std::string& definition);
    std::string (*coordinateSystemOfGeoKeys)(const std::vector<std::uint16_t>& directory,
                                             const std::vector<double>& doubles, const std::string& ascii);
    bool (*isGeographic)(const std::string& definition);
    DegreeProjection (*projectFromDegrees)(const std::string& definition, std::vector<double>& x, std::vector<double>& y);
    LinearUnit (*linearUnit)(const std::string& definition);
};

// The module's table, looked up once.
const ModuleTable<GisFunctions>& gisModule();

}  // namespace vellacor
