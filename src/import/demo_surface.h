#pragma once
#include <span>

#include "import/surface_read.h"

namespace vellacor {

inline constexpr int kDemoSide = 50;  // points a side of the demonstration grid

// The demonstration surface: a 50 x 50 grid of ripples spreading from the
// centre, 2,500 points and 4,802 triangles.
SurfaceReadResult makeDemoSurface();

// One step of the ripples: elevations for the phase (which the caller lowers
// by 0.05 each step). The grid's side is the square root of the point count.
void animateDemoSurface(std::span<SurveyPoint> points, double phase);

}  // namespace vellacor
