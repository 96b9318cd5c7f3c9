#pragma once
#include "model/surface_view.h"

namespace vellacor {

// Triangle location over a surface view, for the camera, until the surface
// layer's own location takes a view instead of the whole site.

// Walks from `start` towards (x, y) through the neighbour links; the triangle
// holding the position, or kNoTriangle (also where a link is missing).
int locateTriangleWalk(const SurfaceView& surface, int maxSteps, int start, double x, double y);

// The walk, then a scan of every triangle when the walk fails.
int locateTriangle(const SurfaceView& surface, int start, double x, double y);

}  // namespace vellacor
