#include "surface/tin_geometry.h"

#include <cmath>

#include "model/surface_view.h"
#include "surface/centroid_walk.h"
#include "surface/predicates.h"

namespace vellacor {

double planeElevation(const SurfaceView& surface, int t, double x, double y) {
    const Vec3 n = normalOf(surface, t);
    return planeElevation(n, planeConstantOf(n, positionOf(surface.point(surface.triangle(t).vertex[0]))), x, y);
}

double signedArea(const SurfaceView& surface, int t) {
    const TinTriangle& triangle = surface.triangle(t);
    const SurveyPoint& p0 = surface.point(triangle.vertex[0]);
    const SurveyPoint& p1 = surface.point(triangle.vertex[1]);
    const SurveyPoint& p2 = surface.point(triangle.vertex[2]);
    return ((p2.northing - p0.northing) * (p1.easting - p0.easting) -
            (p2.easting - p0.easting) * (p1.northing - p0.northing)) /
           2.0;
}

bool triangleContains(const SurfaceView& surface, int t, double x, double y) {
    const TinTriangle& triangle = surface.triangle(t);
    for (int k = 0; k < 3; ++k) {
        const SurveyPoint& a = surface.point(triangle.vertex[k]);
        const SurveyPoint& b = surface.point(triangle.vertex[(k + 1) % 3]);
        if ((a.easting - x) * (b.northing - y) - (b.easting - x) * (a.northing - y) < 0.0) return false;
    }
    return true;
}

bool planSegmentsCrossStrictly(double ax, double ay, double bx, double by, double px, double py, double qx, double qy) {
    // Exact signs: a threshold on the lines' cross product, in square metres,
    // refused real crossings of the short edges of a dense surface.
    const auto opposite = [](double u, double v) { return (u < 0 && v > 0) || (u > 0 && v < 0); };
    return opposite(orient2d(ax, ay, bx, by, px, py), orient2d(ax, ay, bx, by, qx, qy)) &&
           opposite(orient2d(px, py, qx, qy, ax, ay), orient2d(px, py, qx, qy, bx, by));
}

int locateTriangleWalk(const SurfaceView& surface, int maxSteps, int start, double x, double y) {
    struct Faces {
        const SurfaceView& surface;
        bool holds(int t, double px, double py) const { return triangleContains(surface, t, px, py); }
        PlanXY corner(int t, int k) const {
            const SurveyPoint& p = surface.point(surface.triangle(t).vertex[k]);
            return {p.easting, p.northing};
        }
        int neighbour(int t, int k) const { return surface.triangle(t).neighbour[k]; }
    };
    return walkFromCentroids(Faces{surface}, surface.triangleCount, maxSteps, start, x, y);
}

int locateTriangle(const SurfaceView& surface, int start, double x, double y) {
    const int found = locateTriangleWalk(surface, surface.triangleCount, start, x, y);
    if (found != kNoTriangle) return found;
    for (int t = 0; t < surface.triangleCount; ++t)
        if (triangleContains(surface, t, x, y)) return t;
    return kNoTriangle;
}

bool segmentsCross(const SurfaceView& surface, int a, int b, int c, int d) {
    if (a == c || a == d || b == c || b == d) return false;
    const SurveyPoint& pa = surface.point(a);
    const SurveyPoint& pb = surface.point(b);
    const SurveyPoint& pc = surface.point(c);
    const SurveyPoint& pd = surface.point(d);
    const double den = (pb.easting - pa.easting) * (pd.northing - pc.northing) -
                       (pb.northing - pa.northing) * (pd.easting - pc.easting);
    if (std::fabs(den) < 0.001) return false;
    const double t = ((pd.easting - pc.easting) * (pa.northing - pc.northing) -
                      (pd.northing - pc.northing) * (pa.easting - pc.easting)) /
                     den;
    const double u = ((pb.easting - pa.easting) * (pa.northing - pc.northing) -
                      (pb.northing - pa.northing) * (pa.easting - pc.easting)) /
                     den;
    return t > 0.001 && t < 0.999 && u > 0.001 && u < 0.999;
}

}  // namespace vellacor
