// Feeds arbitrary bytes to the elevation raster reader through the raster
// library's in-memory files, with the drivers a file on disk is read by, and
// checks the grid it makes.
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "import/elevation_raster.h"
#include "import/grid_triangles.h"

namespace {

using namespace vellacor;

using fuzzing::check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SurfaceReadResult r = readElevationRasterBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    check(r.points.size() <= static_cast<std::size_t>(kMostRasterSamples));
    for (const SurveyPoint& p : r.points) check(isUsableCoordinate(p.northing) && isUsableCoordinate(p.easting));
    for (const TinTriangle& t : r.triangles)
        for (const int v : t.vertex) {
            check(v >= 0 && static_cast<std::size_t>(v) < r.points.size());
            check(!isVoidSample(r.points[static_cast<std::size_t>(v)].elevation));
        }
    return 0;
}
