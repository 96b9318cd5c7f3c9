#pragma once
#include <cmath>
#include <functional>
#include <vector>

#include "surface/surface_support.h"

namespace vellacor::testing {

// A surface triangulated and linked from plan points with z = height(x, y).
struct WaterSite {
    SurfaceSite model;
    SurfaceView surface() const { return linkedSurfaceOf(model); }
};

inline void buildSite(WaterSite& site, const std::vector<Xyz>& points) {
    loadPoints(site.model, points);
    buildSurface(site.model);
}

// A square grid of `side` x `side` points `spacing` apart from (0, 0).
inline std::vector<Xyz> gridOf(int side, double spacing, const std::function<double(double, double)>& height) {
    std::vector<Xyz> points;
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            const double x = i * spacing, y = j * spacing;
            points.push_back({x, y, height(x, y)});
        }
    return points;
}

inline int pointAt(const SurfaceView& s, double x, double y) {
    for (int i = 0; i < s.pointCount; ++i)
        if (std::fabs(s.point(i).easting - x) < 1e-9 && std::fabs(s.point(i).northing - y) < 1e-9) return i;
    return kNoPoint;
}

}  // namespace vellacor::testing
