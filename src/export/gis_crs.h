#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellacor {

// Coordinate systems as the site keeps them: "EPSG:n" or WKT text (OGC or
// the Esri dialect a .prj holds). Only these two forms are given to the
// library: it never reads a file or an address for a definition.

// "EPSG:n" in any letter case, with one to ten digits: the form --crs takes.
bool isEpsgDefinition(std::string_view definition);

// The library understands the definition.
bool isKnownCoordinateSystem(const std::string& definition);

// How the system is shown: "EPSG:n" when the library finds its EPSG code,
// otherwise its own name; empty for an empty definition, the text itself
// for one the library does not understand.
std::string coordinateSystemLabel(const std::string& definition);

// The system GeoTIFF keys describe (the key directory, the doubles and the
// text they point into), as a GeoTIFF reader makes it out: "EPSG:n" when it
// is an EPSG system, otherwise WKT; empty when the library makes no system
// of them.
std::string coordinateSystemOfGeoKeys(const std::vector<std::uint16_t>& directory, const std::vector<double>& doubles,
                                      const std::string& ascii);

// The system is geographic: its coordinates are longitudes and latitudes.
bool isGeographicCoordinateSystem(const std::string& definition);

// What projecting coordinates from a geographic system did.
struct DegreeProjection {
    std::string definition;  // the system they are in now, "EPSG:32633"; empty when they were not projected
    std::string name;        // its name, "WGS 84 / UTM zone 33N"
    std::string problem;     // why coordinates in degrees could not be projected
};

// Projects longitudes (x) and latitudes (y) of a geographic system in place
// to the WGS 84 UTM zone of their centre (EPSG 326zz north of the equator,
// 327zz south). Coordinates that are not all longitudes and latitudes, or
// that the library cannot project, give a problem that says so, and are
// then no longer to be used (some may be projected); those of any other
// system are left as they were, without a problem.
DegreeProjection projectFromDegrees(const std::string& definition, std::vector<double>& x, std::vector<double>& y);

// The unit of a system's plane coordinates, among those a LandXML file names.
enum class LinearUnit { Unknown, Metre, UsSurveyFoot, Foot };

// Unknown for an empty definition, one the library does not understand, a
// geographic one and any other unit.
LinearUnit linearUnitOf(const std::string& definition);

}  // namespace vellacor
