#pragma once
#include <string>
#include <string_view>

#include "import/surface_read.h"
#include "model/background_job.h"

namespace vellacor {

// The elevation raster reader's work that the geospatial module does; the
// module's `vellacor_raster_functions` returns them.
struct RasterFunctions {
    bool (*knownByContent)(const std::string& path);
    SurfaceReadResult (*readFile)(const std::string& path, const JobControl* control);
    SurfaceReadResult (*readBytes)(std::string_view bytes);
};

}  // namespace vellacor
