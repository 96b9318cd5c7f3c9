#include "camera/surface_location.h"

#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

bool contains(const SurfaceView& surface, int t, double x, double y) {
    const TinTriangle& triangle = surface.triangle(t);
    for (int k = 0; k < 3; ++k) {
        const SurveyPoint& a = surface.point(triangle.vertex[k]);
        const SurveyPoint& b = surface.point(triangle.vertex[(k + 1) % 3]);
        if ((a.easting - x) * (b.northing - y) - (b.easting - x) * (a.northing - y) < 0.0) return false;
    }
    return true;
}

// The edge a-b that the plan line from the centroid to (x, y) crosses strictly inside both.
bool leavesThrough(const TinTriangle& triangle, double x, double y, const SurveyPoint& a, const SurveyPoint& b) {
    double s, u;
    return planCrossingParameters(triangle.centroid.x, triangle.centroid.y, x, y, a, b, s, u) && s > 0.0 && s < 1.0 &&
           u > 0.0 && u < 1.0;
}

}  // namespace

int locateTriangleWalk(const SurfaceView& surface, int maxSteps, int start, double x, double y) {
    if (start < 0 || start >= surface.triangleCount || maxSteps < 0) return kNoTriangle;
    for (int t = start, steps = 0;; ++steps) {
        if (contains(surface, t, x, y)) return t;
        const TinTriangle& triangle = surface.triangle(t);
        int exit = -1;
        for (int k = 0; k < 3 && exit < 0; ++k)
            if (leavesThrough(triangle, x, y, surface.point(triangle.vertex[k]), surface.point(triangle.vertex[(k + 1) % 3])))
                exit = k;
        if (exit < 0) return kNoTriangle;
        const int next = triangle.neighbour[exit];
        if (next < 0 || next >= surface.triangleCount || steps + 1 > maxSteps) return kNoTriangle;
        t = next;
    }
}

int locateTriangle(const SurfaceView& surface, int start, double x, double y) {
    const int found = locateTriangleWalk(surface, surface.triangleCount, start, x, y);
    if (found != kNoTriangle) return found;
    for (int t = 0; t < surface.triangleCount; ++t)
        if (contains(surface, t, x, y)) return t;
    return kNoTriangle;
}

}  // namespace vellacor
