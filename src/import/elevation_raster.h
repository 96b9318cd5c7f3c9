#pragma once
#include <string>
#include <string_view>

#include "import/surface_read.h"
#include "model/background_job.h"

namespace vellacor {

// At most this many samples become points (an SRTM tile's worth); a larger
// raster is read at a coarser spacing.
inline constexpr long long kMostRasterSamples = 1201LL * 1201LL;

// Whether the file holds an elevation raster by its content (GeoTIFF, Esri
// ASCII grid, any raster the installed library reads), leaving out gridded
// text that is as likely a point list and pictures (a first band of colours).
bool isElevationRaster(const std::string& path);

// The first band of a raster as a grid of points, north row first: eastings
// and northings from the raster's georeferencing (pixel centres; grid
// positions when it has none), no-data and non-finite cells as voids. The
// triangles use every n-th sample each way, n the smallest that keeps them
// to 180,000, none touching a void.
// With a `control` (a worker's), the read reports its progress there and
// checks for cancelling as it goes, block by block: once cancelled it stops
// and returns no points.
SurfaceReadResult readElevationRaster(const std::string& path, const JobControl* control = nullptr);

// The same over bytes in memory (the library's in-memory files), read by the
// same drivers.
SurfaceReadResult readElevationRasterBytes(std::string_view bytes);

}  // namespace vellacor
