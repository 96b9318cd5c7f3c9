#include "render/cad_overlay_draw.h"

#include <cmath>

#include "model/site_document.h"
#include "render/line.h"
#include "surface/drape.h"

namespace vellacor {

namespace {
constexpr double kFlatDepth = -9.0e10;  // in front of anything drawn
bool isGap(const Vec3& p) { return p.z == kOutsideSurface || p.z == kNoElevation; }

// Cuts the segment a -> b to the rectangle [0, width] x [0, height]
// (Liang-Barsky), so that a drawing zoomed far in costs no more than the
// pixels it covers. False when nothing of it is inside.
bool clipToView(ProjectedPoint& a, ProjectedPoint& b, double width, double height) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x, width - a.x, a.y, height - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0) {
            if (r > t1) return false;
            if (r > t0) t0 = r;
        } else {
            if (r < t0) return false;
            if (r < t1) t1 = r;
        }
    }
    const ProjectedPoint from = a;
    a = {from.x + t0 * dx, from.y + t0 * dy, from.w};
    b = {from.x + t1 * dx, from.y + t1 * dy, from.w};
    return true;
}
}  // namespace

void drawDrapedCadLines(FrameBuffer& frame, const Matrix& view, std::span<const CadLine> lines) {
    const RasterTarget target = sceneTarget(frame);
    for (const CadLine& line : lines)
        for (std::size_t i = 1; i < line.vertices.size(); ++i) {
            const Vec3& a = line.vertices[i - 1];
            const Vec3& b = line.vertices[i];
            if (isGap(a) || isGap(b)) continue;
            drawLine3D(frame, target, transformPoint(a, view), transformPoint(b, view), line.colour);
        }
}

DrawingPoint drawingPointAt(const FlatOverlayView& view, int viewWidth, int viewHeight, double sx, double sy) {
    return {(sx - viewWidth / 2.0) * view.scale + view.offsetX, -(sy - viewHeight / 2.0) * view.scale + view.offsetY};
}

void drawFlatCadLines(FrameBuffer& frame, std::span<const CadLine> lines, const FlatOverlayView& view) {
    const RasterTarget target = sceneTarget(frame);
    const double w = frame.viewWidth / 2.0, h = frame.viewHeight / 2.0;
    auto onScreen = [&](const Vec3& p) {
        return ProjectedPoint{(p.x - view.offsetX) / view.scale + w, -(p.y - view.offsetY) / view.scale + h, kFlatDepth};
    };
    for (const CadLine& line : lines)
        for (std::size_t i = 1; i < line.vertices.size(); ++i) {
            ProjectedPoint a = onScreen(line.vertices[i - 1]), b = onScreen(line.vertices[i]);
            if (std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y) &&
                clipToView(a, b, frame.viewWidth - 1.0, frame.viewHeight - 1.0))
                drawLine2D(frame, target, a, b, line.colour);
        }
}

}  // namespace vellacor
