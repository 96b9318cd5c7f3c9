#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "import/surface_read.h"

namespace vellacor {

// USGS DEM profiles exported as XYZ text (easting, northing, elevation in
// threes, numbered from 0): south-north profiles of equal easting, in
// increasing easting. Each point after the first profile is joined to the
// latest earlier point of the same northing (within 0.001) that lies on the
// previous profile or further on: the two triangles of the cell above them,
// where both profiles go on north of them. Fewer than two points make no triangles.
// O(points log points), however the northings crowd together.
SurfaceReadResult readUsgsXyzText(std::string_view text);

// Nothing when the file cannot be opened.
std::optional<SurfaceReadResult> readUsgsXyzFile(const std::string& path);

}  // namespace vellacor
