#pragma once

namespace vellacor {

// Plane orientation and in-circle tests whose sign is always exact.
// A floating-point filter answers almost every call; only the near-degenerate
// cases (collinear or co-circular points, as on any regular survey grid) are
// decided with exact expansion arithmetic, so the triangulation never sees two
// contradicting answers.

// > 0 when a, b, c turn counter-clockwise, < 0 clockwise, 0 when collinear.
double orient2d(double ax, double ay, double bx, double by, double cx, double cy);

// For a counter-clockwise triangle a, b, c: > 0 when d lies inside its
// circumcircle, < 0 outside, 0 on it.
double incircle(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy);

}  // namespace vellacor
