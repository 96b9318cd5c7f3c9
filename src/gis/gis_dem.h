#pragma once
#include <string>

#include "export/dem_grid.h"

class OGRSpatialReference;

namespace vellacor {

// Writes the grid's heights as a GeoTIFF to `path` (a name in the library's
// memory file system): 64-bit cells, no-data off the surface, tiled and
// DEFLATE-compressed, a block of rows sampled at a time. False when the
// library fails.
bool writeGisDem(const std::string& path, const SurfaceView& surface, const DemGrid& grid,
                 const OGRSpatialReference* reference);

}  // namespace vellacor
