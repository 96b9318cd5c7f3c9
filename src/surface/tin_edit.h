#pragma once
#include <span>
#include <vector>

#include "model/survey_point.h"
#include "model/tin_triangle.h"

namespace vellacor {

// The triangle whose plan holds (x, y) strictly inside, found by looking at
// each (the neighbour links may be out of date); kNoTriangle when none does.
int triangleHoldingInside(std::span<const SurveyPoint> points, const std::vector<TinTriangle>& triangles,
                          int triangleCount, double x, double y);

// Splits triangle t into three at point p, which lies inside it: t keeps its
// first edge and two triangles are added after the last. Their neighbour
// links are left for the link stage to make.
void splitTriangleAt(std::vector<TinTriangle>& triangles, int& triangleCount, int t, int p);

}  // namespace vellacor
