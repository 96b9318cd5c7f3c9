// The elevation raster reader's entry points: the work is done by the
// geospatial module, loaded the first time a raster is asked about.
#include "import/elevation_raster.h"

#include <string_view>

#include "gis_seam/gis_module.h"
#include "import/mapped_file.h"

namespace vellacor {

namespace {

SurfaceReadResult readerMissing() {
    SurfaceReadResult result;
    result.message = "Unable to Open File!\n\nThe elevation raster reader could not be loaded: " + gisModule().problem;
    return result;
}

// Most files asked about are point lists, and the module need not be loaded
// to tell: every raster format known by content starts with a keyword, a
// name or binary bytes, never with a number, except a USGS DEM, whose fixed
// header is recognised by the counts at columns 151 and 157.
bool startsLikeAPointList(std::string_view head) {
    const std::size_t first = head.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return false;
    const char c = head[first];
    if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.')) return false;
    if (head.size() < 162) return true;
    const std::string_view count = head.substr(150, 6);
    return count != "     1" && count != "     4";
}

}  // namespace

bool isElevationRaster(const std::string& path) {
    if (startsLikeAPointList(fileHead(path, 200))) return false;
    const GisModuleFunctions* f = gisModule().functions;
    return f && f->rasterKnownByContent(path);
}

SurfaceReadResult readElevationRaster(const std::string& path, const JobControl* control) {
    const GisModuleFunctions* f = gisModule().functions;
    return f ? f->readRasterFile(path, control) : readerMissing();
}

SurfaceReadResult readElevationRasterBytes(std::string_view bytes) {
    const GisModuleFunctions* f = gisModule().functions;
    return f ? f->readRasterBytes(bytes) : readerMissing();
}

}  // namespace vellacor
