#pragma once
#include "surface/tin_triangle.h"

namespace vellacor {

struct SiteModel;

// Elevation of the triangle's plane at (x, y); 99999999.0 for a plane that is
// (nearly) vertical, |normal.z| < 0.001.
double planeElevation(const TinTriangle& t, double x, double y);

// Walks from `start` towards (x, y) through the neighbour links; the triangle
// holding the position, or kNoTriangle.
int locateTriangleWalk(const SiteModel& model, int maxSteps, int start, double x, double y);

// The walk, then a scan of every triangle when the walk fails.
int locateTriangle(const SiteModel& model, int start, double x, double y);

}  // namespace vellacor
