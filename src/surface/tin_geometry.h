#pragma once
#include <array>
#include <cmath>

#include "model/surface_view.h"
#include "model/survey_point.h"
#include "model/tin_triangle.h"

namespace vellacor {

inline constexpr double kVerticalPlane = 99999999.0;  // elevation reported for a (nearly) vertical plane

// A centroid is its corners' sum times this, wherever it is worked out, so
// that walks over the surface and over copies of its faces agree to the bit.
inline constexpr double kCentroidThird = 0.3333333333333333;

// The centroid of the triangle with corners a, b, c.
inline Vec3 triangleCentroid(const Vec3& a, const Vec3& b, const Vec3& c) {
    return {(a.x + b.x + c.x) * kCentroidThird, (a.y + b.y + c.y) * kCentroidThird,
            (a.z + b.z + c.z) * kCentroidThird};
}

// The cross product of the edges a -> b and a -> c: the triangle's normal,
// twice its area long.
inline Vec3 triangleCross(const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z};
    const Vec3 v{c.x - a.x, c.y - a.y, c.z - a.z};
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

// A triangle's cross product (see triangleCross) made a unit normal; a
// degenerate triangle's, (0, 0, -1).
inline Vec3 unitNormalOf(const Vec3& n) {
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length > 0.0 && std::isfinite(length)) return {n.x / length, n.y / length, n.z / length};
    return {0.0, 0.0, -1.0};
}
// The unit normal of the triangle with corners a, b, c (easting, northing,
// elevation), upward when they run counter-clockwise in plan. A degenerate
// triangle gets the normal (0, 0, -1).
inline Vec3 triangleNormal(const Vec3& a, const Vec3& b, const Vec3& c) { return unitNormalOf(triangleCross(a, b, c)); }

// The constant d of the plane n . p = d through `corner`.
inline double planeConstantOf(const Vec3& n, const Vec3& corner) {
    return corner.x * n.x + corner.y * n.y + corner.z * n.z;
}

// Elevation at (x, y) of the plane n . p = d; 99999999.0 for a plane that is
// (nearly) vertical, |n.z| < 0.001.
inline double planeElevation(const Vec3& n, double d, double x, double y) {
    if (std::fabs(n.z) < 0.001) return kVerticalPlane;
    return (d - x * n.x - y * n.y) / n.z;
}

// A surface triangle keeps only its corners and links: at two triangles a
// point, its centroid and normal would be more than the points themselves.
// They are worked out from the corners when asked, always the same way.
inline std::array<Vec3, 3> cornersOf(std::span<const SurveyPoint> points, const TinTriangle& triangle) {
    auto at = [&](int k) { return positionOf(points[static_cast<std::size_t>(triangle.vertex[k])]); };
    return {at(0), at(1), at(2)};
}
inline Vec3 centroidOf(std::span<const SurveyPoint> points, const TinTriangle& triangle) {
    const auto [a, b, c] = cornersOf(points, triangle);
    return triangleCentroid(a, b, c);
}
inline Vec3 normalOf(std::span<const SurveyPoint> points, const TinTriangle& triangle) {
    const auto [a, b, c] = cornersOf(points, triangle);
    return triangleNormal(a, b, c);
}
inline Vec3 centroidOf(const SurfaceView& surface, int t) { return centroidOf(surface.points, surface.triangle(t)); }
inline Vec3 normalOf(const SurfaceView& surface, int t) { return normalOf(surface.points, surface.triangle(t)); }

// Elevation of triangle t's plane at (x, y), the plane through its first
// corner; 99999999.0 for a plane that is (nearly) vertical.
double planeElevation(const SurfaceView& surface, int t, double x, double y);

// Half the plan cross product of the triangle's edges: >= 0 when its vertices
// run counter-clockwise.
double signedArea(const SurfaceView& surface, int t);

// True when (x, y) lies inside triangle t or on its boundary.
bool triangleContains(const SurfaceView& surface, int t, double x, double y);

// The segment a-b crosses the edge p-q strictly inside both (plan), by the
// exact orientation of each segment's ends to the other; parallel lines do
// not cross. The centroid walk leaves a triangle by this test.
bool planSegmentsCrossStrictly(double ax, double ay, double bx, double by, double px, double py, double qx, double qy);

// Walks from `start` towards (x, y) through the neighbour links (see
// walkFromCentroids); the triangle holding the position, or kNoTriangle
// (also where a link is missing, as before the neighbour links are done).
int locateTriangleWalk(const SurfaceView& surface, int maxSteps, int start, double x, double y);

// The walk, then a scan of every triangle when the walk fails.
int locateTriangle(const SurfaceView& surface, int start, double x, double y);

// True when segment a-b crosses segment c-d (point indices, plan only) well
// inside both: segments sharing an end, touching near an end (within 0.1 % of
// either) or (nearly) parallel do not cross.
bool segmentsCross(const SurfaceView& surface, int a, int b, int c, int d);

}  // namespace vellacor
