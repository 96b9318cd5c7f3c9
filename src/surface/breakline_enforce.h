#pragma once
#include <span>
#include <vector>

#include "model/survey_point.h"
#include "model/tin_triangle.h"

namespace vellacor {

// Makes the plan segment between points a and b an edge of the surface: the
// triangles the segment passes through are triangulated again, by flipping
// the edges it crosses, so that each side of it is filled and nothing else moves. Surface vertices lying exactly on
// the segment split it, and each piece is enforced in turn. New triangles get
// their geometry and no neighbour links (the link stage rebuilds them); the
// count of triangles stays the same. A segment that is already an edge, whose
// end is not a vertex, or that leaves the surface, changes nothing.
// Returns true when the triangles changed.
bool enforceBreakline(std::span<const SurveyPoint> points, int pointCount, std::vector<TinTriangle>& triangles,
                      int& triangleCount, int a, int b);

}  // namespace vellacor
