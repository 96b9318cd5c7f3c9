#pragma once
#include <vector>

#include "model/survey_point.h"

namespace vellacor {

inline constexpr int kNoVertex = -666;  // no vertex of the limit polygon is being edited

// The polygon contours can be limited to: vertices on the ground (easting,
// northing, elevation) in order, closed from the last back to the first.
struct LimitPolygon {
    int selectedVertex = kNoVertex;  // the vertex being dragged
    std::vector<Vec3> vertices;

    int vertexCount() const { return static_cast<int>(vertices.size()); }
    bool hasSelection() const { return selectedVertex >= 0 && selectedVertex < vertexCount(); }
};

// Vertex i is doubled in place: it then stands at i and i + 1, so that one of
// the two can be dragged away as a new vertex. Out-of-range i does nothing.
void duplicateVertex(LimitPolygon& polygon, int i);

// The selected vertex takes the ground point p; nothing without a selection.
void moveSelectedVertex(LimitPolygon& polygon, const Vec3& p);

// Removes vertex i; the selection keeps pointing at the same vertex, or at
// none when that was the one removed.
void removeVertex(LimitPolygon& polygon, int i);

}  // namespace vellacor
