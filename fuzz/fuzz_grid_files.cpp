// Feeds arbitrary bytes to the elevation grid and triangle list readers (SRTM
// tile, USGS profiles, raw triangles) and to the thinned grid, and checks the
// surfaces they make. A whole SRTM tile is larger than any input, so its
// decoder is reached through a square tile as large as the bytes allow.
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "import/grid_triangles.h"
#include "import/hgt_file.h"
#include "import/raw_triangles.h"
#include "import/usgs_profiles.h"

namespace {

using namespace vellacor;

using fuzzing::check;

void checkSurface(const SurfaceReadResult& r, std::size_t size) {
    check(r.points.size() <= size);
    for (const SurveyPoint& p : r.points)
        check(isUsableCoordinate(p.northing) && isUsableCoordinate(p.easting) && isUsableCoordinate(p.elevation));
    for (const TinTriangle& t : r.triangles)
        for (int k = 0; k < 3; ++k) check(t.vertex[k] >= 0 && static_cast<std::size_t>(t.vertex[k]) < r.points.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check(readHgtBytes(text).message == kHgtSizeMessage);  // no input here is a whole tile
    if (const int side = static_cast<int>(std::sqrt(static_cast<double>(size / 2))); side >= 1) {
        const SurfaceReadResult tile = decodeHgtTile(text, side);
        check(tile.points.size() == static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
        checkSurface(tile, size);
        for (const TinTriangle& t : tile.triangles)
            for (const int v : t.vertex) check(!isVoidSample(tile.points[static_cast<std::size_t>(v)].elevation));
    }

    const SurfaceReadResult usgs = readUsgsXyzText(text);
    checkSurface(usgs, size);
    check(usgs.triangles.size() <= 2 * usgs.points.size());
    for (const TinTriangle& t : usgs.triangles)
        check(t.vertex[0] != t.vertex[1] && t.vertex[1] != t.vertex[2] && t.vertex[0] != t.vertex[2]);

    const SurfaceReadResult raw = readRawTriangleText(text);
    checkSurface(raw, size);
    check(raw.points.size() <= 3 * raw.triangles.size());

    // The bytes as a small grid: the first two give its shape and step, the
    // rest its samples, 0 a void.
    if (size >= 3) {
        const int rows = 1 + data[0] % 16, columns = 1 + data[1] % 16, step = 1 + data[2] % 5;
        std::vector<SurveyPoint> grid(static_cast<std::size_t>(rows * columns));
        for (std::size_t i = 0; i < grid.size(); ++i) {
            const std::uint8_t sample = 3 + i < size ? data[3 + i] : 1;
            grid[i].elevation = sample == 0 ? kVoidElevation : sample;
        }
        const std::size_t most = 1 + data[2] % 64;
        std::vector<TinTriangle> triangles;
        addThinnedGridTriangles(grid, rows, columns, step, most, triangles);
        check(triangles.size() <= most);
        for (const TinTriangle& t : triangles)
            for (int k = 0; k < 3; ++k) {
                check(t.vertex[k] >= 0 && t.vertex[k] < rows * columns);
                check(!isVoidSample(grid[static_cast<std::size_t>(t.vertex[k])].elevation));
            }
        check(thinningStep(rows, columns, most) >= 1);
    }
    return 0;
}
