#pragma once
#include <cstddef>
#include <span>
#include <vector>

#include "model/survey_point.h"
#include "model/tin_triangle.h"

namespace vellacor {

inline constexpr double kVoidElevation = 99999999.0;       // a missing grid sample
inline constexpr std::size_t kMostGridTriangles = 180000;  // what a grid may put on screen

inline bool isVoidSample(double z) { return !(z - kVoidElevation >= 0.001 || z - kVoidElevation <= -0.001); }

// Triangles over a grid of points stored row by row (`columns` a row), using
// every `step`-th sample each way: for rows step, 2 step, ... and columns 0,
// step, ... with a sample `step` columns on, the two triangles of the cell
// whose lower-left corner is that sample, counter-clockwise when rows run
// north to south. A triangle with a void corner is left out; at most `most`
// are made. O(rows x columns / step²).
void addThinnedGridTriangles(std::span<const SurveyPoint> points, int rows, int columns, int step, std::size_t most,
                             std::vector<TinTriangle>& triangles);

// The smallest step whose grid has at most `most` triangles.
int thinningStep(int rows, int columns, std::size_t most);

}  // namespace vellacor
