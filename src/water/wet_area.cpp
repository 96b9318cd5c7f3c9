#include "water/wet_area.h"

#include <cmath>

namespace vellacor {

namespace {

double planCross(const Vec3& o, const Vec3& a, const Vec3& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

}  // namespace

WetPart wetPartOf(const SurfaceView& surface, int triangle, double level) {
    const TinTriangle& t = surface.triangle(triangle);
    Vec3 c[3];
    for (int k = 0; k < 3; ++k) {
        const SurveyPoint& p = surface.point(t.vertex[k]);
        c[k] = {p.easting, p.northing, p.elevation};
    }
    // Clip the triangle to the ground below the level, keeping its winding.
    WetPart part;
    for (int k = 0; k < 3; ++k) {
        const Vec3& a = c[k];
        const Vec3& b = c[(k + 1) % 3];
        const bool aWet = a.z <= level, bWet = b.z <= level;
        if (aWet) part.corners[static_cast<std::size_t>(part.count++)] = a;
        if (aWet != bWet) {
            const double s = (level - a.z) / (b.z - a.z);
            part.corners[static_cast<std::size_t>(part.count++)] = {a.x + s * (b.x - a.x), a.y + s * (b.y - a.y), level};
        }
    }
    // A fan from the first corner: the depth is linear over each piece, so
    // its mean at the corners times the area is the exact volume.
    for (int k = 1; k + 1 < part.count; ++k) {
        const Vec3& o = part.corners[0];
        const Vec3& a = part.corners[static_cast<std::size_t>(k)];
        const Vec3& b = part.corners[static_cast<std::size_t>(k + 1)];
        const double area = 0.5 * std::fabs(planCross(o, a, b));
        part.area += area;
        part.volume += area * (level - (o.z + a.z + b.z) / 3.0);
    }
    return part;
}

}  // namespace vellacor
