#include "camera/limit_polygon_picking.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace vellacor {

namespace {

// A vertex counts as seen when what was drawn at its pixel is no nearer than
// this in front of it (lines sit on the surface they are drawn over).
constexpr double kDepthTolerance = 0.0003;

}  // namespace

bool hitVertex(const LimitPolygon& polygon, int i, const Matrix& view, const ScreenDepth& screen, Pixel cursor) {
    if (i < 0 || i >= polygon.vertexCount() || screen.depth.empty()) return false;
    const Vec3 c = transformPoint(polygon.vertices[static_cast<std::size_t>(i)], view);
    if (outcode(c) != 0) return false;
    const ProjectedPoint p = project(screen.viewport, c);
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    const double px = std::floor(p.x), py = std::floor(p.y);
    if (px < 0 || py < 0 || px >= screen.viewport.width || py >= screen.viewport.height) return false;
    if (screen.depth.size() < static_cast<std::size_t>(screen.viewport.width) * static_cast<std::size_t>(screen.viewport.height))
        return false;
    if (!(screen.at(static_cast<int>(px), static_cast<int>(py)) >= p.w - kDepthTolerance)) return false;
    return std::fabs(px - cursor.x) < kVertexGrabPixels && std::fabs(py - cursor.y) < kVertexGrabPixels;
}

bool selectVertexAtCursor(LimitPolygon& polygon, const Matrix& view, const ScreenDepth& screen, Pixel cursor) {
    for (int i = 0; i < polygon.vertexCount(); ++i)
        if (hitVertex(polygon, i, view, screen, cursor)) {
            polygon.selectedVertex = i;
            return true;
        }
    polygon.selectedVertex = kNoVertex;
    return false;
}

bool dropOnNeighbour(LimitPolygon& polygon, const Matrix& view, const ScreenDepth& screen, Pixel cursor) {
    const int selected = polygon.selectedVertex;
    if (!polygon.hasSelection()) return false;
    for (int j = 0; j < polygon.vertexCount(); ++j) {
        if (j == selected || !hitVertex(polygon, j, view, screen, cursor)) continue;
        const int lo = std::min(selected, j), hi = std::max(selected, j);
        if (hi - lo == 1)
            removeVertex(polygon, lo);
        else if (hi - lo == polygon.vertexCount() - 1)
            removeVertex(polygon, hi);  // the first and the last: the last goes
        return true;
    }
    return false;
}

}  // namespace vellacor
