#include "surface/tin_edit.h"

#include <algorithm>

#include "surface/predicates.h"
#include "surface/tin_geometry.h"

namespace vellacor {

int triangleHoldingInside(std::span<const SurveyPoint> points, const std::vector<TinTriangle>& triangles,
                          int triangleCount, double x, double y) {
    for (int t = 0; t < triangleCount; ++t) {
        const TinTriangle& tri = triangles[static_cast<std::size_t>(t)];
        bool inside = true;
        for (int k = 0; k < 3 && inside; ++k) {
            const SurveyPoint& a = points[static_cast<std::size_t>(tri.vertex[k])];
            const SurveyPoint& b = points[static_cast<std::size_t>(tri.vertex[(k + 1) % 3])];
            inside = orient2d(a.easting, a.northing, b.easting, b.northing, x, y) > 0;
        }
        if (inside) return t;
    }
    return kNoTriangle;
}

void splitTriangleAt(std::vector<TinTriangle>& triangles, int& triangleCount, int t, int p) {
    const TinTriangle old = triangles[static_cast<std::size_t>(t)];
    const std::int32_t v0 = old.vertex[0], v1 = old.vertex[1], v2 = old.vertex[2];
    auto make = [&](std::int32_t a, std::int32_t b) {
        TinTriangle tri;
        tri.vertex[0] = a;
        tri.vertex[1] = b;
        tri.vertex[2] = p;
        return tri;
    };
    triangles.resize(std::max(triangles.size(), static_cast<std::size_t>(triangleCount) + 2));
    triangles[static_cast<std::size_t>(t)] = make(v0, v1);
    triangles[static_cast<std::size_t>(triangleCount)] = make(v1, v2);
    triangles[static_cast<std::size_t>(triangleCount) + 1] = make(v2, v0);
    triangleCount += 2;
}

}  // namespace vellacor
