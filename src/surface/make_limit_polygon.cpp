#include "surface/make_limit_polygon.h"

#include <cmath>

#include "surface/tin_geometry.h"

namespace vellacor {

LimitPolygon makeLimitPolygon(const SurfaceView& surface, const Vec3& siteCentre, double siteSize) {
    constexpr double kSixth = 1.0471975511965976;  // 60 degrees
    const double radius = siteSize * 0.125;
    LimitPolygon polygon;
    for (int k = 0; k < 6; ++k) {
        const double angle = k * kSixth;
        const double x = siteCentre.x + radius * std::cos(angle);
        const double y = siteCentre.y + radius * std::sin(angle);
        // Each corner walks from triangle 0: six walks, each at worst a scan of the triangles.
        const int t = locateTriangle(surface, 0, x, y);
        if (t == kNoTriangle) continue;
        polygon.vertices.push_back({x, y, planeElevation(surface, t, x, y)});
    }
    return polygon;
}

}  // namespace vellacor
