#include "render/limit_polygon_draw.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/line.h"
#include "render/frame_projection.h"

namespace vellacor {

namespace {

constexpr std::uint8_t kSelectedColour = 1;
constexpr std::uint8_t kPolygonColour = 2;
constexpr int kMarkHalf = 4;  // the mark spans -4 .. +4 pixels around the vertex

void drawVertexMark(FrameBuffer& f, const Vec3& c, std::uint8_t colour) {
    if (c.z > kNearPlane) return;  // behind the eye
    const ProjectedPoint p = project(f, c);
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::fabs(p.x) > 1e9 || std::fabs(p.y) > 1e9) return;
    const long long x0 = static_cast<long long>(std::floor(p.x)), y0 = static_cast<long long>(std::floor(p.y));
    const RasterTarget target = displayTarget(f);
    for (long long y = y0 - kMarkHalf; y <= y0 + kMarkHalf; ++y)
        for (long long x = x0 - kMarkHalf; x <= x0 + kMarkHalf; ++x) {
            if (x < 0 || y < 0 || x >= f.viewWidth || y >= f.viewHeight) continue;
            const std::size_t i = static_cast<std::size_t>(y * f.viewWidth + x);
            if (target.depth[i] >= p.w - kLineDepthBias) target.pixels[i] = colour;
        }
}

}  // namespace

void drawLimitPolygon(FrameBuffer& frame, const Matrix& view, const LimitPolygon& polygon, bool vertexMarks) {
    if (!frame.hasBuffers() || frame.displayBits.empty() || polygon.vertices.empty()) return;
    const std::size_t n = polygon.vertices.size();
    std::vector<Vec3> camera(n);
    for (std::size_t i = 0; i < n; ++i) camera[i] = transformPoint(polygon.vertices[i], view);
    const std::size_t selected = static_cast<std::size_t>(polygon.hasSelection() ? polygon.selectedVertex : -1);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t next = (i + 1) % n;
        const std::uint8_t colour = (i == selected || next == selected) ? kSelectedColour : kPolygonColour;
        drawLine3D(frame, displayTarget(frame), camera[i], camera[next], colour);
    }
    if (!vertexMarks) return;
    for (std::size_t i = 0; i < n; ++i) drawVertexMark(frame, camera[i], i == selected ? kSelectedColour : kPolygonColour);
}

}  // namespace vellacor
