#include "import/raw_triangles.h"

#include <new>

#include "import/mapped_file.h"
#include "import/point_file.h"
#include "import/shared_corners.h"

namespace vellacor {

namespace {

// Where line `line` (counted from 1) starts.
std::size_t lineStart(std::string_view text, int line) {
    std::size_t at = 0;
    for (int k = 1; k < line && at < text.size(); ++k) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) return text.size();
        at = end + 1;
    }
    return at;
}

// The vertices up to the first line that is not one. Vertices pair up into
// triangles only by their count, so once a line is lost the rest would be
// joined across triangles: reading ends there, as for point text, and the
// line is reported.
PointReadResult verticesBeforeFirstBadLine(std::string_view text) {
    PointReadResult vertices = readXyzText(text);
    if (vertices.skipped.count == 0) return vertices;
    SkippedLines stop = std::move(vertices.skipped);
    stop.count = 1;
    vertices = readXyzText(text.substr(0, lineStart(text, stop.firstLine)));
    vertices.skipped = std::move(stop);
    return vertices;
}

}  // namespace

SurfaceReadResult readRawTriangleText(std::string_view text) {
    SurfaceReadResult result;
    PointReadResult vertices;
    try {
        vertices = verticesBeforeFirstBadLine(text);
        result.points.reserve(vertices.points.size());
    } catch (const std::bad_alloc&) {
        result.message = "Unable to allocate storage for Survey Points!";
        return result;
    }
    result.skipped = std::move(vertices.skipped);
    const std::size_t triangleCount = vertices.points.size() / 3;
    try {
        result.triangles.reserve(triangleCount);
        SharedCorners corners(result.points);
        for (std::size_t t = 0; t < triangleCount; ++t) {
            int corner[3];
            for (int k = 0; k < 3; ++k) {
                const SurveyPoint& v = vertices.points[3 * t + static_cast<std::size_t>(k)];
                corner[k] = corners.pointAt({v.easting, v.northing, v.elevation});
            }
            result.triangles.push_back(triangleOf(corner[0], corner[1], corner[2]));
        }
    } catch (const std::bad_alloc&) {
        result = SurfaceReadResult{};  // no points and no triangles are kept
        result.message = kTrianglesNotAllocated;
        return result;
    }
    result.trianglesMade = true;
    return result;
}

std::optional<SurfaceReadResult> readRawTriangleFile(const std::string& path) {
    MappedFile file;
    if (!file.open(path)) return std::nullopt;
    return readRawTriangleText(file.bytes());
}

}  // namespace vellacor
