#pragma once

namespace vellacor {

// A corner of a plan polygon and the value of a linear function there (the
// difference of two surfaces). Left unset when declared: the overlay clears
// no scratch polygon it is about to fill.
struct PlanCorner {
    double x, y, d;
};

// Keeps the part of the n-cornered `polygon` on the left of the directed line
// p -> q (or on it) in `out`, which must have room for 2n corners; returns
// how many it holds. Sutherland-Hodgman: exact for a convex polygon, and for
// any polygon against a convex window clipped edge by edge (the parts of a
// non-convex one are then joined by edges of no width, which add no area).
// The side of each corner is decided with the exact orientation test, so a
// corner on the line is kept as it is; a new corner gets its d by linear
// interpolation along the edge it cuts. O(corners).
int clipToLeftOf(const PlanCorner* polygon, int n, double px, double py, double qx, double qy, PlanCorner* out);

// Keeps the part where d >= 0 (sign +1) or d <= 0 (sign -1), as above (room
// for 2n corners); new
// corners lie on the zero line and get d = 0 exactly.
int clipToSign(const PlanCorner* polygon, int n, int sign, PlanCorner* out);

// Signed plan area (> 0 counter-clockwise) and the integral of d over the
// polygon, exact for a linear d: a fan of triangles from the first corner.
struct PlanIntegral {
    double area = 0;
    double integral = 0;
};
PlanIntegral integrateLinear(const PlanCorner* polygon, int n);

}  // namespace vellacor
