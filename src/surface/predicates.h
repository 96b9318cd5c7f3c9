#pragma once
#include <cmath>

namespace vellacor {

// Plane orientation and in-circle tests whose sign is always exact.
// A floating-point filter, inline here, answers almost every call; only the
// near-degenerate cases (collinear or co-circular points, as on any regular
// survey grid) are decided with exact expansion arithmetic, so the
// triangulation never sees two contradicting answers. The filter tolerates
// fused multiply-adds (they only remove roundings); the exact part, which
// would not, is compiled apart without them.

// The exact evaluations behind the filters below.
double orient2dAdapt(double ax, double ay, double bx, double by, double cx, double cy);
double incircleAdapt(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy);

namespace detail {
constexpr double kEpsilon = 1.1102230246251565e-16;  // 2^-53, half an ulp of 1
// Bounds on the rounding error of the plain floating-point determinants,
// relative to the sum of the magnitudes of their terms.
constexpr double kOrientBound = (3.0 + 16.0 * kEpsilon) * kEpsilon;
constexpr double kInCircleBound = (10.0 + 96.0 * kEpsilon) * kEpsilon;
}  // namespace detail

// > 0 when a, b, c turn counter-clockwise, < 0 clockwise, 0 when collinear.
inline double orient2d(double ax, double ay, double bx, double by, double cx, double cy) {
    const double left = (ax - cx) * (by - cy);
    const double right = (ay - cy) * (bx - cx);
    const double det = left - right;
    // Terms of opposite signs (or a zero term) give the exact sign at once,
    // and pass this test too; so does an exact zero. Written without a branch
    // on the terms' signs, which are as random as the points.
    if (std::fabs(det) >= detail::kOrientBound * (std::fabs(left) + std::fabs(right))) return det;
    return orient2dAdapt(ax, ay, bx, by, cx, cy);
}

// For a counter-clockwise triangle a, b, c: > 0 when d lies inside its
// circumcircle, < 0 outside, 0 on it.
inline double incircle(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    const double adx = ax - dx, bdx = bx - dx, cdx = cx - dx;
    const double ady = ay - dy, bdy = by - dy, cdy = cy - dy;
    const double bdxcdy = bdx * cdy, cdxbdy = cdx * bdy;
    const double aLift = adx * adx + ady * ady;
    const double cdxady = cdx * ady, adxcdy = adx * cdy;
    const double bLift = bdx * bdx + bdy * bdy;
    const double adxbdy = adx * bdy, bdxady = bdx * ady;
    const double cLift = cdx * cdx + cdy * cdy;
    const double det = aLift * (bdxcdy - cdxbdy) + bLift * (cdxady - adxcdy) + cLift * (adxbdy - bdxady);
    const double permanent = (std::fabs(bdxcdy) + std::fabs(cdxbdy)) * aLift +
                             (std::fabs(cdxady) + std::fabs(adxcdy)) * bLift +
                             (std::fabs(adxbdy) + std::fabs(bdxady)) * cLift;
    const double bound = detail::kInCircleBound * permanent;
    if (det > bound || -det > bound) return det;
    return incircleAdapt(ax, ay, bx, by, cx, cy, dx, dy);
}

}  // namespace vellacor
