// The coordinate systems through the geospatial library's spatial references.
#include "export/gis_crs.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>

#include <limits>
#include <mutex>

#include "gis/gis_library.h"
#include "gis/library_functions.h"

namespace vellacor {

namespace {

// The code of an "EPSG:n" definition, or 0 (also for a code too large for any system).
int epsgCodeOf(std::string_view definition) {
    if (!isEpsgDefinition(definition)) return 0;
    long long code = 0;
    for (const char digit : definition.substr(5)) code = code * 10 + (digit - '0');
    return code <= std::numeric_limits<int>::max() ? static_cast<int>(code) : 0;
}

}  // namespace

void registerGisDrivers() {
    static std::once_flag once;
    std::call_once(once, [] {
        CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");  // no .aux.xml beside what is written
        GDALAllRegister();
    });
}

std::unique_ptr<OGRSpatialReference> spatialReferenceOf(const std::string& definition) {
    if (definition.empty()) return nullptr;
    const QuietLibrary quiet;
    auto reference = std::make_unique<OGRSpatialReference>();
    OGRErr error = OGRERR_FAILURE;
    if (const int code = epsgCodeOf(definition); code > 0)
        error = reference->importFromEPSG(code);
    else if (definition.find('[') != std::string::npos)
        error = reference->importFromWkt(definition.c_str());
    if (error != OGRERR_NONE || reference->IsEmpty()) return nullptr;
    reference->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return reference;
}

bool libraryKnowsCoordinateSystem(const std::string& definition) { return spatialReferenceOf(definition) != nullptr; }

std::string libraryCoordinateSystemLabel(const std::string& definition) {
    const std::unique_ptr<OGRSpatialReference> reference = spatialReferenceOf(definition);
    if (!reference) return definition;
    const char* authority = reference->GetAuthorityName(nullptr);
    const char* code = reference->GetAuthorityCode(nullptr);
    if (authority && code && std::string(authority) == "EPSG") return std::string("EPSG:") + code;
    const char* name = reference->GetName();
    return name && *name ? std::string(name) : definition;
}

}  // namespace vellacor
