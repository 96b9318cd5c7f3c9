#include "surface/contour_segment.h"

#include <cmath>

#include "model/surface_view.h"

namespace vellacor {

namespace {

constexpr double kFlat = 0.001;

const SurveyPoint& vertexOf(const SurfaceView& surface, const TinTriangle& t, int k) {
    return surface.points[static_cast<std::size_t>(t.vertex[k % 3])];
}

}  // namespace

bool isFlatTriangle(const SurfaceView& surface, int t) {
    const TinTriangle& triangle = surface.triangles[static_cast<std::size_t>(t)];
    const double z0 = vertexOf(surface, triangle, 0).elevation;
    return std::fabs(vertexOf(surface, triangle, 1).elevation - z0) < kFlat &&
           std::fabs(vertexOf(surface, triangle, 2).elevation - z0) < kFlat;
}

bool triangleContourSegment(const SurfaceView& surface, int t, double level, ContourSegment& out) {
    const TinTriangle& triangle = surface.triangles[static_cast<std::size_t>(t)];
    int found = 0;
    for (int k = 0; k < 3; ++k) {
        const SurveyPoint& a = vertexOf(surface, triangle, k);
        const SurveyPoint& b = vertexOf(surface, triangle, k + 1);
        const SurveyPoint& c = vertexOf(surface, triangle, k + 2);
        if (std::fabs(b.elevation - a.elevation) < kFlat) {
            if (std::fabs(a.elevation - level) < kFlat && a.elevation < c.elevation) {
                out.end[0] = {a.easting, a.northing, a.elevation};
                out.end[1] = {b.easting, b.northing, b.elevation};
                out.edge[0] = out.edge[1] = k;
                out.flatEdge = true;
                return true;
            }
            continue;
        }
        const bool crossed =
            (a.elevation <= level && level < b.elevation) || (b.elevation < level && level <= a.elevation);
        if (!crossed) continue;
        const double s = (level - a.elevation) / (b.elevation - a.elevation);
        const Vec3 p{a.easting + s * (b.easting - a.easting), a.northing + s * (b.northing - a.northing), level};
        // Only a repeat of the very same point is dropped. Crossings merely
        // close together belong to a short but real segment: dropping those
        // around a vertex just off the level would open a gap in the contour.
        if (found == 1 && p.x == out.end[0].x && p.y == out.end[0].y) continue;
        if (found < 2) {
            out.end[found] = p;
            out.edge[found] = k;
        }
        ++found;
    }
    out.flatEdge = false;
    return found == 2;
}

}  // namespace vellacor
