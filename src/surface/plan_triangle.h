#pragma once
#include "model/surface_view.h"

namespace vellacor {

// Exact plan tests on one triangle of the surface. Readers may hand over
// triangles in either turn, so each test takes the triangle's own turn into
// account; a triangle whose corners lie on one line holds nothing.

// +1 when the corners run counter-clockwise in plan, -1 clockwise, 0 when
// they lie on one line (exact).
int planTurn(const SurfaceView& surface, int t);

// (x, y) lies inside the triangle or on its boundary (exact).
bool triangleHoldsExactly(const SurfaceView& surface, int t, double x, double y);

// The elevation of the triangle's face at (x, y), interpolated from its three
// corners by their plan areas: finite for any face with a plan area, however
// steep, and the corner's own elevation at a corner.
double heightInTriangle(const SurfaceView& surface, int t, double x, double y);

}  // namespace vellacor
