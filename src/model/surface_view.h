#pragma once
#include <cstdint>
#include <span>

#include "model/survey_point.h"
#include "model/tin_triangle.h"

namespace vellacor {

// A hull edge of the linked surface: the triangle and its edge slot
// (the edge vertex[edge] -> vertex[(edge + 1) % 3] has no neighbour).
struct HullEdge {
    std::int32_t triangle;
    std::int32_t edge;
};

// What the surface algorithms read: the points (the span holds the spare
// records too; pointCount are valid) and the triangles (triangleCount valid).
struct SurfaceView {
    std::span<const SurveyPoint> points;
    int pointCount = 0;
    std::span<const TinTriangle> triangles;
    int triangleCount = 0;
    // The hull edges made with the neighbour links, when they belong to these
    // triangles; empty otherwise (the edges without a neighbour are found by a scan).
    std::span<const HullEdge> hullEdges;

    const SurveyPoint& point(int i) const { return points[static_cast<std::size_t>(i)]; }
    const TinTriangle& triangle(int t) const { return triangles[static_cast<std::size_t>(t)]; }
};

}  // namespace vellacor
