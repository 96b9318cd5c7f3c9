#pragma once
#include <cstddef>
#include <span>
#include <vector>

#include "model/survey_point.h"
#include "model/tin_triangle.h"

namespace vellacor {

// Takes out of the faces a file brought those that would count a piece of
// ground twice or hold none: a face with the same three corners as an earlier
// one (in any order, either turn), a face whose corners are not three
// different points, and a face whose corners lie on one line in plan (exact).
// The first of repeated faces stays, and the rest keep their order. Returns
// how many were taken out. O(n log n) in the faces.
std::size_t dropRepeatedAndEmptyFaces(std::span<const SurveyPoint> points, std::vector<TinTriangle>& faces);

}  // namespace vellacor
