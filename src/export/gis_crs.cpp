// Coordinate systems: the EPSG form is checked here, the rest is the
// geospatial module's, loaded the first time a definition is looked at.
#include "export/gis_crs.h"

#include "gis_seam/gis_module.h"
#include "model/utf8_text.h"

namespace vellacor {

bool isEpsgDefinition(std::string_view definition) {
    return definition.size() >= 6 && definition.size() <= 14 && equalsIgnoringCase(definition.substr(0, 5), "EPSG:") &&
           definition.find_first_not_of("0123456789", 5) == std::string_view::npos;
}

bool isKnownCoordinateSystem(const std::string& definition) {
    if (definition.empty()) return false;
    const GisModuleFunctions* f = gisModule().functions;
    return f && f->knowsCoordinateSystem(definition);
}

std::string coordinateSystemLabel(const std::string& definition) {
    if (definition.empty()) return definition;
    const GisModuleFunctions* f = gisModule().functions;
    return f ? f->coordinateSystemLabel(definition) : definition;
}

std::string coordinateSystemOfGeoKeys(const std::vector<std::uint16_t>& directory, const std::vector<double>& doubles,
                                      const std::string& ascii) {
    const GisModuleFunctions* f = gisModule().functions;
    return f ? f->coordinateSystemOfGeoKeys(directory, doubles, ascii) : std::string();
}

bool isGeographicCoordinateSystem(const std::string& definition) {
    if (definition.empty()) return false;
    const GisModuleFunctions* f = gisModule().functions;
    return f && f->isGeographic(definition);
}

DegreeProjection projectFromDegrees(const std::string& definition, std::vector<double>& x, std::vector<double>& y) {
    if (definition.empty() || x.size() != y.size()) return {};
    const GisModuleFunctions* f = gisModule().functions;
    return f ? f->projectFromDegrees(definition, x, y) : DegreeProjection{};
}

LinearUnit linearUnitOf(const std::string& definition) {
    if (definition.empty()) return LinearUnit::Unknown;
    const GisModuleFunctions* f = gisModule().functions;
    return f ? f->linearUnit(definition) : LinearUnit::Unknown;
}

}  // namespace vellacor
