#include "model/limit_polygon.h"

#include <cstddef>

namespace vellacor {

void duplicateVertex(LimitPolygon& polygon, int i) {
    if (i < 0 || i >= polygon.vertexCount()) return;
    const Vec3 copy = polygon.vertices[static_cast<std::size_t>(i)];
    polygon.vertices.insert(polygon.vertices.begin() + i, copy);
}

void moveSelectedVertex(LimitPolygon& polygon, const Vec3& p) {
    if (polygon.hasSelection()) polygon.vertices[static_cast<std::size_t>(polygon.selectedVertex)] = p;
}

void removeVertex(LimitPolygon& polygon, int i) {
    if (i < 0 || i >= polygon.vertexCount()) return;
    polygon.vertices.erase(polygon.vertices.begin() + i);
    if (polygon.selectedVertex == i)
        polygon.selectedVertex = kNoVertex;
    else if (polygon.selectedVertex > i)
        --polygon.selectedVertex;
}

}  // namespace vellacor
