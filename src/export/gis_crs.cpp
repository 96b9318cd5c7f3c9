// The coordinate systems through the geospatial library's spatial references.
#include "export/gis_crs.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>

#include <algorithm>
#include <mutex>

#include "export/gis_library.h"

namespace vellacor {

namespace {

// "EPSG:n" (any letter case): the code, or 0.
int epsgCodeOf(const std::string& definition) {
    if (definition.size() < 6 || definition.size() > 14) return 0;
    std::string prefix = definition.substr(0, 5);
    std::transform(prefix.begin(), prefix.end(), prefix.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (prefix != "EPSG:") return 0;
    int code = 0;
    for (std::size_t i = 5; i < definition.size(); ++i) {
        if (definition[i] < '0' || definition[i] > '9') return 0;
        code = code * 10 + (definition[i] - '0');
    }
    return code;
}

struct QuietLibrary {
    QuietLibrary() { CPLPushErrorHandler(CPLQuietErrorHandler); }
    ~QuietLibrary() { CPLPopErrorHandler(); }
    QuietLibrary(const QuietLibrary&) = delete;
    QuietLibrary& operator=(const QuietLibrary&) = delete;
};

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

bool isKnownCoordinateSystem(const std::string& definition) { return spatialReferenceOf(definition) != nullptr; }

std::string coordinateSystemLabel(const std::string& definition) {
    const std::unique_ptr<OGRSpatialReference> reference = spatialReferenceOf(definition);
    if (!reference) return definition;
    const char* authority = reference->GetAuthorityName(nullptr);
    const char* code = reference->GetAuthorityCode(nullptr);
    if (authority && code && std::string(authority) == "EPSG") return std::string("EPSG:") + code;
    const char* name = reference->GetName();
    return name && *name ? std::string(name) : definition;
}

}  // namespace vellacor
