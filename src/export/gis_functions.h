#pragma once
#include <string>

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
};

// The module's table, looked up once.
const ModuleTable<GisFunctions>& gisModule();

}  // namespace vellacor
