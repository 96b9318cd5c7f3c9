#include <algorithm>
#include <cmath>

#include "camera/matrix.h"
#include "camera/vector_math.h"
#include "render/frame_buffer.h"
#include "render/line.h"
#include "render/frame_projection.h"
#include "render/scene.h"
#include "surface/drape.h"

namespace vellacor {

namespace {

// The north arrow's glyph in a unit square round the origin, screen-up being
// north: the letter N, the arrow head, a ring, the shaft, three compass
// ticks and a small hub. A line with a radius is a circle of `count` points.
struct GlyphLine {
    int count;
    double radius;
    double xy[5][2];
};

constexpr GlyphLine kNorthGlyph[] = {
    {4, 0.0, {{-0.07, -0.30}, {-0.07, -0.45}, {0.07, -0.30}, {0.07, -0.45}}},
    {5, 0.0, {{0.0, -0.26}, {-0.08, -0.06}, {0.0, -0.11}, {0.08, -0.06}, {0.0, -0.26}}},
    {20, 0.20, {}},  // ring
    {3, 0.0, {{0.0, -0.11}, {0.0, 0.10}, {0.0, 0.20}}},
    {2, 0.0, {{0.20, 0.0}, {0.26, 0.0}}},
    {2, 0.0, {{-0.20, 0.0}, {-0.26, 0.0}}},
    {17, 0.035, {}},  // hub
    {2, 0.0, {{0.0, 0.20}, {0.0, 0.26}}},
};

// Point i of a glyph line.
void glyphPoint(const GlyphLine& line, int i, double& x, double& y) {
    if (line.radius > 0.0) {
        const double a = kTwoPi * i / (line.count - 1);
        x = line.radius * std::cos(a);
        y = line.radius * std::sin(a);
    } else {
        x = line.xy[i][0];
        y = line.xy[i][1];
    }
}

void putDisplayPixel(FrameBuffer& f, int x, int y, std::uint8_t colour) {
    if (x < 0 || y < 0 || x >= f.clientWidth || y >= f.viewHeight) return;
    f.displayBits[static_cast<std::size_t>(y) * static_cast<std::size_t>(f.viewWidth) + static_cast<std::size_t>(x)] =
        colour;
}

}  // namespace

void drawNorthArrow(FrameBuffer& f, const Vec3& d) {
    const double s = std::min({f.viewWidth / 2.0, 150.0, f.viewHeight / 2.0});
    const double cx = s / 2, cy = f.viewHeight - 1 - s / 2;
    const double a = (d.x == 0.0 && d.y == 0.0) ? 0.0 : Heading(d.x, d.y) - kHalfPi;
    // Flattened as the view tilts towards the horizon: sin(-pitch) of a unit direction.
    const double flatten = -d.z / std::max(1e-12, length(d));
    const RasterTarget target = sceneTarget(f);
    for (const GlyphLine& line : kNorthGlyph) {
        ProjectedPoint previous;
        for (int i = 0; i < line.count; ++i) {
            double px = 0.0, py = 0.0;
            glyphPoint(line, i, px, py);
            const double rho = std::hypot(px, py), theta = std::atan2(py, px);
            const ProjectedPoint p{cx + std::cos(theta + a) * rho * s, cy + std::sin(theta + a) * rho * s * flatten,
                                   -9.0e10};
            if (i > 0) drawLine2D(f, target, previous, p, 5);
            previous = p;
        }
    }
}

void drawReferenceGrid(FrameBuffer& f, const Matrix& view, const SiteExtents& site, int lines) {
    const int n = std::clamp(lines, 2, 100);
    const double h = 0.45 * site.size;
    const Vec3& c = site.centre;
    const double z = site.minElevation;
    const double step = 2 * h / (n - 1);
    for (int i = 0; c.x - h + i * step < c.x + 1.01 * h && i < 1000; ++i) {
        const double x = c.x - h + i * step;
        drawLine3D(f, sceneTarget(f), transformPoint({x, c.y - h, z}, view), transformPoint({x, c.y + h, z}, view),
                   kGridColour);
    }
    for (int i = 0; c.y - h + i * step < c.y + 1.01 * h && i < 1000; ++i) {
        const double y = c.y - h + i * step;
        drawLine3D(f, sceneTarget(f), transformPoint({c.x - h, y, z}, view), transformPoint({c.x + h, y, z}, view),
                   kGridColour);
    }
}

void SceneContourSink::line(const Vec3& from, const Vec3& to, std::uint8_t colour) {
    drawLine3D(frame_, sceneTarget(frame_), transformPoint(from, view_), transformPoint(to, view_), colour);
}

bool drawSelectionCross(FrameBuffer& f, const Vec3& p) {
    if (p.z > kNearPlane) return false;
    const ProjectedPoint q = project(f, p);
    const int x = static_cast<int>(q.x), y = static_cast<int>(q.y);
    for (int i = 0; i < 12; ++i) {
        putDisplayPixel(f, x - 6 + i, y - 6 + i, kBackgroundColour);
        putDisplayPixel(f, x - 6 + i, y + 6 - i, kBackgroundColour);
    }
    return true;
}

bool drawHoverMark(FrameBuffer& f, const Vec3& p) {
    const ProjectedPoint q = project(f, p);
    if (!(q.x > 1 && q.x < f.viewWidth - 1 && q.y > 1 && q.y < f.viewHeight - 1)) return false;
    const int x = static_cast<int>(q.x), y = static_cast<int>(q.y);
    putDisplayPixel(f, x, y, 1);
    putDisplayPixel(f, x - 1, y, 1);
    putDisplayPixel(f, x + 1, y, 1);
    putDisplayPixel(f, x, y - 1, 1);
    putDisplayPixel(f, x, y + 1, 1);
    return true;
}

void drawDrapedPolyline(FrameBuffer& f, const Matrix& view, const std::vector<Vec3>& points, std::uint8_t colour) {
    for (std::size_t i = 1; i < points.size(); ++i) {
        const Vec3& a = points[i - 1];
        const Vec3& b = points[i];
        if (a.z == kOutsideSurface || b.z == kOutsideSurface) continue;  // a gap off the surface
        drawLine3D(f, displayTarget(f), transformPoint(a, view), transformPoint(b, view), colour);
    }
}

}  // namespace vellacor
