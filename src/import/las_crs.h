#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellacor {

// GeoTIFF keys as a LAS file keeps them (user "LASF_Projection"): the key
// directory (record 34735: four shorts of header, then four a key), and the
// doubles (34736) and text (34737) the keys may point into.
struct LasGeoKeys {
    std::vector<std::uint16_t> directory;
    std::vector<double> doubles;
    std::string ascii;
};

// The coordinate system a LAS file's records name.
struct LasCoordinateSystem {
    // "EPSG:n" (from the GeoTIFF keys' projected or geographic system code)
    // or WKT text (record 2112); empty when the records name none this
    // reader can make out.
    std::string definition;
    // Set when the file describes its system by GeoTIFF keys of its own
    // rather than by a code: only the geospatial library can make a system
    // of those. Empty otherwise.
    LasGeoKeys userDefinedKeys;
};

// From the header's records and, for LAS 1.4, the extended ones. The header
// bit that says the system is WKT (1.4) decides between WKT and GeoTIFF keys
// when a file has both; otherwise the GeoTIFF keys come first, as older
// versions know no other. Reads the header and records alone, so that a
// compressed file's system can be read too.
LasCoordinateSystem readLasCoordinateSystem(std::string_view bytes);

}  // namespace vellacor
