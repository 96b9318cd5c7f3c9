#include "import/hgt_file.h"

#include <cstdint>
#include <new>

#include "import/grid_triangles.h"
#include "import/mapped_file.h"

namespace vellacor {

SurfaceReadResult readHgtBytes(std::string_view bytes) {
    if (bytes.size() != kHgtBytes) {
        SurfaceReadResult result;
        result.message = kHgtSizeMessage;
        return result;
    }
    return decodeHgtTile(bytes, kHgtSide);
}

SurfaceReadResult decodeHgtTile(std::string_view bytes, int side) {
    SurfaceReadResult result;
    const std::size_t count = static_cast<std::size_t>(side) * static_cast<std::size_t>(side);
    try {
        result.points.reserve(count);
    } catch (const std::bad_alloc&) {
        result.message = kPointsNotAllocated;
        return result;
    }
    const auto* sample = reinterpret_cast<const unsigned char*>(bytes.data());
    int index = 0;
    for (int row = side; row >= 1; --row) {
        const double northing = row * kHgtSpacing;
        for (int column = 0; column < side; ++column, ++index, sample += 2) {
            const auto raw = static_cast<std::uint16_t>((sample[0] << 8) | sample[1]);
            const double elevation =
                raw == 0x8000 ? kVoidElevation : static_cast<double>(static_cast<std::int16_t>(raw));
            // Made in place: each record is written once, in order.
            SurveyPoint& p = result.points.emplace_back();
            p.number = index;
            p.useInSurface = true;
            p.northing = northing;
            p.easting = column * kHgtSpacing;
            p.elevation = elevation;
            p.displayMark = PointMark::Ordinary;
        }
    }
    try {
        result.triangles.reserve((2 * count) / 16);
    } catch (const std::bad_alloc&) {
        result.message = kTrianglesNotAllocated;
        return result;
    }
    addThinnedGridTriangles(result.points, side, side, kHgtStep, kMostGridTriangles, result.triangles);
    result.trianglesMade = true;
    return result;
}

SurfaceReadResult readHgtFile(const std::string& path) {
    MappedFile file;
    if (!file.open(path)) {
        SurfaceReadResult result;
        result.message = "Unable to Open File!";
        return result;
    }
    return readHgtBytes(file.bytes());
}

}  // namespace vellacor
