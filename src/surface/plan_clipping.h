#pragma once
#include "surface/predicates.h"

// Clipping and integrating small plan polygons, inline: the overlay of two
// surfaces does this for every one of its millions of pieces.
namespace vellacor {

// A corner of a plan polygon and the value of a linear function there (the
// difference of two surfaces). Left unset when declared: the overlay clears
// no scratch polygon it is about to fill.
struct PlanCorner {
    double x, y, d;
};

namespace detail {

// Sutherland-Hodgman against one half-plane given by a side value per corner
// (>= 0 inside). Only an edge whose ends lie strictly on opposite sides gets a
// new corner, so a corner on the boundary is never duplicated or moved. Each
// corner is written and then kept or not by the count, without a branch on
// which side it lies: the sides are as random as the pieces.
template <typename Side, typename Cut>
int clipBySide(const PlanCorner* polygon, int n, Side side, Cut cut, PlanCorner* out) {
    if (n <= 0) return 0;
    int count = 0;
    const PlanCorner* previous = &polygon[n - 1];
    double previousSide = side(*previous);
    for (int i = 0; i < n; ++i) {
        const PlanCorner& current = polygon[i];
        const double currentSide = side(current);
        const bool crosses = (previousSide > 0 && currentSide < 0) || (previousSide < 0 && currentSide > 0);
        const double across = crosses ? previousSide - currentSide : 1.0;
        out[count] = cut(*previous, current, previousSide / across);
        count += crosses;
        out[count] = current;
        count += currentSide >= 0;
        previous = &current;
        previousSide = currentSide;
    }
    return count;
}

}  // namespace detail

// Keeps the part of the n-cornered `polygon` on the left of the directed line
// p -> q (or on it) in `out`, which must have room for 2n corners; returns
// how many it holds. Exact for a convex polygon, and for any polygon against
// a convex window clipped edge by edge (the parts of a non-convex one are
// then joined by edges of no width, which add no area). The side of each
// corner is decided with the exact orientation test, so a corner on the line
// is kept as it is; a new corner gets its d by linear interpolation along the
// edge it cuts. O(corners).
inline int clipToLeftOf(const PlanCorner* polygon, int n, double px, double py, double qx, double qy, PlanCorner* out) {
    return detail::clipBySide(
        polygon, n, [&](const PlanCorner& c) { return orient2d(px, py, qx, qy, c.x, c.y); },
        [](const PlanCorner& a, const PlanCorner& b, double t) {
            return PlanCorner{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.d + t * (b.d - a.d)};
        },
        out);
}

// Keeps the part where d >= 0 (sign +1) or d <= 0 (sign -1), as above (room
// for 2n corners); new corners lie on the zero line and get d = 0 exactly.
inline int clipToSign(const PlanCorner* polygon, int n, int sign, PlanCorner* out) {
    const double s = sign > 0 ? 1.0 : -1.0;
    return detail::clipBySide(
        polygon, n, [&](const PlanCorner& c) { return s * c.d; },
        [](const PlanCorner& a, const PlanCorner& b, double t) {
            return PlanCorner{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), 0.0};
        },
        out);
}

// Signed plan area (> 0 counter-clockwise) and the integral of d over the
// polygon, exact for a linear d: a fan of triangles from the first corner.
struct PlanIntegral {
    double area = 0;
    double integral = 0;
};

inline PlanIntegral integrateLinear(const PlanCorner* polygon, int n) {
    PlanIntegral result;
    if (n < 3) return result;
    const PlanCorner& o = polygon[0];
    for (int i = 1; i + 1 < n; ++i) {
        const PlanCorner& b = polygon[i];
        const PlanCorner& c = polygon[i + 1];
        const double area = 0.5 * ((b.x - o.x) * (c.y - o.y) - (b.y - o.y) * (c.x - o.x));
        result.area += area;
        result.integral += area * (o.d + b.d + c.d) / 3.0;
    }
    return result;
}

}  // namespace vellacor
