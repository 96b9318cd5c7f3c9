#include "surface/contour_segment.h"

#include <cmath>
#include <utility>

#include "model/surface_view.h"

namespace vellacor {

namespace {

constexpr double kFlat = 0.001;

const SurveyPoint& vertexOf(const SurfaceView& surface, const TinTriangle& t, int k) {
    return surface.points[static_cast<std::size_t>(t.vertex[k % 3])];
}

bool isBelow(double z, double level) { return z < level - kOnLevel; }

// The triangle across edge k of t falls away below the level too: the corner
// it has beyond the shared edge lies below it. A flat neighbour carries no
// contour of its own, so it leaves the edge to t.
bool fallsAwayAcross(const SurfaceView& surface, const TinTriangle& triangle, int k, double level) {
    const std::int32_t across = triangle.neighbour[k];
    if (across < 0 || across >= surface.triangleCount || isFlatTriangle(surface, across)) return false;
    const TinTriangle& other = surface.triangles[static_cast<std::size_t>(across)];
    const std::int32_t a = triangle.vertex[k], b = triangle.vertex[(k + 1) % 3];
    for (int j = 0; j < 3; ++j)
        if (other.vertex[j] != a && other.vertex[j] != b)
            return isBelow(vertexOf(surface, other, j).elevation, level);
    return false;
}

}  // namespace

bool isFlatTriangle(const SurfaceView& surface, int t) {
    const TinTriangle& triangle = surface.triangles[static_cast<std::size_t>(t)];
    const double z0 = vertexOf(surface, triangle, 0).elevation;
    return std::fabs(vertexOf(surface, triangle, 1).elevation - z0) < kFlat &&
           std::fabs(vertexOf(surface, triangle, 2).elevation - z0) < kFlat;
}

bool triangleContourSegment(const SurfaceView& surface, int t, double level, ContourSegment& out, bool linked) {
    const TinTriangle& triangle = surface.triangles[static_cast<std::size_t>(t)];
    const SurveyPoint* corner[3];
    bool below[3], on[3];
    int belowCount = 0;
    for (int k = 0; k < 3; ++k) {
        corner[k] = &vertexOf(surface, triangle, k);
        below[k] = isBelow(corner[k]->elevation, level);
        on[k] = !below[k] && corner[k]->elevation <= level + kOnLevel;
        belowCount += below[k];
    }
    if (belowCount == 0 || belowCount == 3) return false;
    out.flatEdge = false;
    for (int k = 0; k < 3; ++k) {
        const int next = (k + 1) % 3;
        if (!on[k] || !on[next]) continue;
        // Both ends on the level and the third corner below it.
        if (linked && fallsAwayAcross(surface, triangle, k, level)) return false;
        out.end[0] = {corner[k]->easting, corner[k]->northing, level};
        out.end[1] = {corner[next]->easting, corner[next]->northing, level};
        out.edge[0] = out.edge[1] = k;
        out.flatEdge = true;
        return true;
    }
    int found = 0;
    for (int k = 0; k < 3 && found < 2; ++k) {
        const int next = (k + 1) % 3;
        if (below[k] == below[next]) continue;
        const int upper = below[k] ? next : k;
        if (on[upper]) {
            out.end[found] = {corner[upper]->easting, corner[upper]->northing, level};
            out.edge[found] = upper;  // the edge that starts at that corner
        } else {
            const SurveyPoint& a = *corner[k];
            const SurveyPoint& b = *corner[next];
            const double s = (level - a.elevation) / (b.elevation - a.elevation);
            out.end[found] = {a.easting + s * (b.easting - a.easting), a.northing + s * (b.northing - a.northing), level};
            out.edge[found] = k;
        }
        ++found;
    }
    if (found < 2) return false;
    // In the order of their edges, a corner's crossing taking the place of the edge that starts there.
    if (out.edge[0] > out.edge[1]) {
        std::swap(out.end[0], out.end[1]);
        std::swap(out.edge[0], out.edge[1]);
    }
    // A level that touches one corner and passes below the rest crosses both
    // edges there: a single point, no segment.
    return out.end[0].x != out.end[1].x || out.end[0].y != out.end[1].y;
}

EdgeCorners flatEdgeCorners(const SurfaceView& surface, int t, const ContourSegment& segment) {
    const TinTriangle& triangle = surface.triangles[static_cast<std::size_t>(t)];
    const int k = segment.edge[0];
    const std::int32_t a = triangle.vertex[k], b = triangle.vertex[(k + 1) % 3];
    return a < b ? EdgeCorners{a, b} : EdgeCorners{b, a};
}

}  // namespace vellacor
