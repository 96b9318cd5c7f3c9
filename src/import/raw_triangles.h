#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "import/surface_read.h"

namespace vellacor {

// A raw triangle list: vertices as XYZ text (easting, northing, elevation),
// every three in a row one triangle, leftover vertices ignored. Reading ends
// at the first line that is not vertices (a header line at the top aside);
// that line is the one reported as skipped. A vertex that
// coincides with an earlier point (each coordinate within 0.001) uses that
// point, the latest such; otherwise it becomes a new point numbered by its
// index. Triangles keep the file's vertex order and have no neighbours.
// O(vertices) expected.
SurfaceReadResult readRawTriangleText(std::string_view text);

// Nothing when the file cannot be opened.
std::optional<SurfaceReadResult> readRawTriangleFile(const std::string& path);

}  // namespace vellacor
