#pragma once
#include <string>
#include <string_view>

#include "import/surface_read.h"

namespace vellacor {

inline constexpr int kHgtSide = 1201;              // samples a row and rows of a 3 arc-second tile
inline constexpr std::size_t kHgtBytes = 2884802;  // 1201 x 1201 big-endian 16-bit samples
inline constexpr double kHgtSpacing = 92.662;      // metres between samples, both ways
inline constexpr int kHgtStep = 4;                 // the surface uses every fourth sample

inline constexpr const char* kHgtSizeMessage =
    "Error loading SRTM .hgt file!\n\nCurrently only the 3 arc-second files are supported\n(the file size should be "
    "2,884,802 bytes)";

// An SRTM 3 arc-second tile: 1,442,401 points, the northernmost row first,
// easting and northing the grid position times 92.662; the sample 0x8000 is a
// void (elevation 99999999). Triangles on every fourth sample each way, none
// touching a void. Any other size is refused with kHgtSizeMessage. One pass,
// no allocation per point.
SurfaceReadResult readHgtBytes(std::string_view bytes);

// The decoding of readHgtBytes for a square tile of `side` samples a row
// (bytes holds at least 2 * side * side), so that smaller tiles can exercise
// the same code.
SurfaceReadResult decodeHgtTile(std::string_view bytes, int side);

// The same over a file; "Unable to Open File!" when it cannot be opened.
SurfaceReadResult readHgtFile(const std::string& path);

}  // namespace vellacor
