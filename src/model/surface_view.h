#pragma once
#include <span>

#include "model/survey_point.h"
#include "model/tin_triangle.h"

namespace vellacor {

// What the surface algorithms read: the points (the span holds the spare
// records too; pointCount are valid) and the triangles (triangleCount valid).
struct SurfaceView {
    std::span<const SurveyPoint> points;
    int pointCount = 0;
    std::span<const TinTriangle> triangles;
    int triangleCount = 0;

    const SurveyPoint& point(int i) const { return points[static_cast<std::size_t>(i)]; }
    const TinTriangle& triangle(int t) const { return triangles[static_cast<std::size_t>(t)]; }
};

}  // namespace vellacor
