#pragma once
#include <string>
#include <string_view>

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

}  // namespace vellacor
