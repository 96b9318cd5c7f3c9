#include "surface/repeated_faces.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "surface/predicates.h"

namespace vellacor {

namespace {

struct FaceKey {
    std::array<std::int32_t, 3> corners;  // ascending: the same face in any order
    std::int32_t face;                    // its place in the file, so the first stays
    auto operator<=>(const FaceKey&) const = default;
};

bool holdsPlanArea(std::span<const SurveyPoint> points, const TinTriangle& t) {
    const SurveyPoint& a = points[static_cast<std::size_t>(t.vertex[0])];
    const SurveyPoint& b = points[static_cast<std::size_t>(t.vertex[1])];
    const SurveyPoint& c = points[static_cast<std::size_t>(t.vertex[2])];
    return orient2d(a.easting, a.northing, b.easting, b.northing, c.easting, c.northing) != 0.0;
}

}  // namespace

std::size_t dropRepeatedAndEmptyFaces(std::span<const SurveyPoint> points, std::vector<TinTriangle>& faces) {
    std::vector<bool> drop(faces.size(), false);
    std::vector<FaceKey> keys;
    keys.reserve(faces.size());
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const TinTriangle& t = faces[i];
        std::array<std::int32_t, 3> corners{t.vertex[0], t.vertex[1], t.vertex[2]};
        std::sort(corners.begin(), corners.end());
        // Two equal corners have no plan area either; the test needs no points then.
        if (corners[0] == corners[1] || corners[1] == corners[2] || !holdsPlanArea(points, t))
            drop[i] = true;
        else
            keys.push_back({corners, static_cast<std::int32_t>(i)});
    }
    std::sort(keys.begin(), keys.end());
    for (std::size_t k = 1; k < keys.size(); ++k)
        if (keys[k].corners == keys[k - 1].corners) drop[static_cast<std::size_t>(keys[k].face)] = true;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < faces.size(); ++i)
        if (!drop[i]) faces[kept++] = faces[i];
    const std::size_t dropped = faces.size() - kept;
    faces.resize(kept);
    return dropped;
}

}  // namespace vellacor
