#include <chrono>
#include <cmath>

#include "camera/matrix.h"
#include "camera/picking.h"
#include "camera/vector_math.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "render/frame_buffer.h"
#include "render/line.h"
#include "render/projection.h"
#include "render/scene.h"
#include "surface/drape.h"

namespace vellacor {

namespace {

// The north arrow's glyph in a unit square round the origin, screen-up being
// north: the letter N, the arrow head, a ring, the shaft, three compass
// ticks and a small hub.
struct GlyphLine {
    int count;
    double xy[20][2];
};

const GlyphLine kNorthGlyph[] = {
    {4, {{-0.07, -0.30}, {-0.07, -0.45}, {0.07, -0.30}, {0.07, -0.45}}},
    {5, {{0.0, -0.26}, {-0.08, -0.06}, {0.0, -0.11}, {0.08, -0.06}, {0.0, -0.26}}},
    {20, {}},  // ring, filled in below
    {3, {{0.0, -0.11}, {0.0, 0.10}, {0.0, 0.20}}},
    {2, {{0.20, 0.0}, {0.26, 0.0}}},
    {2, {{-0.20, 0.0}, {-0.26, 0.0}}},
    {17, {}},  // hub, filled in below
    {2, {{0.0, 0.20}, {0.0, 0.26}}},
};

void circle(GlyphLine& line, double radius) {
    for (int i = 0; i < line.count; ++i) {
        const double a = kTwoPi * i / (line.count - 1);
        line.xy[i][0] = radius * std::cos(a);
        line.xy[i][1] = radius * std::sin(a);
    }
}

const GlyphLine* northGlyph() {
    static GlyphLine glyph[8];
    static const bool made = [] {
        for (int i = 0; i < 8; ++i) glyph[i] = kNorthGlyph[i];
        circle(glyph[2], 0.20);
        circle(glyph[6], 0.035);
        return true;
    }();
    (void)made;
    return glyph;
}

void putDisplayPixel(FrameBuffer& f, int x, int y, std::uint8_t colour) {
    if (x < 0 || y < 0 || x >= f.clientWidth || y >= f.viewHeight) return;
    f.displayBits[static_cast<std::size_t>(y) * static_cast<std::size_t>(f.viewWidth) + static_cast<std::size_t>(x)] =
        colour;
}

}  // namespace

void drawNorthArrow(SiteModel& model) {
    FrameBuffer& f = model.renderer.frame;
    const double s = std::min({f.viewWidth / 2.0, 150.0, f.viewHeight / 2.0});
    const double cx = s / 2, cy = f.viewHeight - 1 - s / 2;
    const Vec3& d = model.camera.direction;
    const double a = (d.x == 0.0 && d.y == 0.0) ? 0.0 : Heading(d.x, d.y) - kHalfPi;
    // Flattened as the view tilts towards the horizon: sin(-pitch) of a unit direction.
    const double flatten = -d.z / std::max(1e-12, length(d));
    const RasterTarget target = sceneTarget(f);
    const GlyphLine* glyph = northGlyph();
    for (int l = 0; l < 8; ++l) {
        ProjectedPoint previous;
        for (int i = 0; i < glyph[l].count; ++i) {
            const double px = glyph[l].xy[i][0], py = glyph[l].xy[i][1];
            const double rho = std::hypot(px, py), theta = std::atan2(py, px);
            const ProjectedPoint p{cx + std::cos(theta + a) * rho * s, cy + std::sin(theta + a) * rho * s * flatten,
                                   -9.0e10};
            if (i > 0) drawLine2D(f, target, previous, p, 5);
            previous = p;
        }
    }
}

void drawReferenceGrid(SiteModel& model, int lines) {
    FrameBuffer& f = model.renderer.frame;
    const int n = std::clamp(lines, 2, 100);
    const double h = 0.45 * model.document.siteSize;
    const Vec3& c = model.document.siteCentre;
    const double z = model.document.minElevation;
    const Matrix& view = model.camera.view;
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

void drawSelectionBand(SiteModel& model);

void drawSelectionMark(SiteModel& model) {
    if (model.input.selectedPoint < 0 || model.input.selectedPoint >= model.document.pointCount) return;
    FrameBuffer& f = model.renderer.frame;
    const Vec3& p = model.document.points[static_cast<std::size_t>(model.input.selectedPoint)].scenePosition;
    if (p.z > kNearPlane) return;
    const ProjectedPoint q = project(f, p);
    const int x = static_cast<int>(q.x), y = static_cast<int>(q.y);
    for (int i = 0; i < 12; ++i) {
        putDisplayPixel(f, x - 6 + i, y - 6 + i, kBackgroundColour);
        putDisplayPixel(f, x - 6 + i, y + 6 - i, kBackgroundColour);
    }
    drawSelectionBand(model);
}

void drawDrapedPolyline(SiteModel& model, const std::vector<Vec3>& points, std::uint8_t colour) {
    FrameBuffer& f = model.renderer.frame;
    const Matrix& view = model.camera.view;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const Vec3& a = points[i - 1];
        const Vec3& b = points[i];
        if (a.z == kOutsideSurface || b.z == kOutsideSurface) continue;  // a gap off the surface
        drawLine3D(f, displayTarget(f), transformPoint(a, view), transformPoint(b, view), colour);
    }
}

void drawDrapedLine(SiteModel& model, const Vec3& a, const Vec3& b, std::uint8_t colour) {
    std::vector<Vec3> points;
    if (drapeSegment(linkedSurfaceOf(model), a.x, a.y, b.x, b.y, points) > 0) drawDrapedPolyline(model, points, colour);
}

// From the point picked first towards the cursor, while the user looks for
// the second end of a breakline: to another point, or over the ground.
void drawSelectionBand(SiteModel& model) {
    if (!model.input.cursorInView || !model.document.contourStage.done) return;
    const SurveyPoint& s = model.document.points[static_cast<std::size_t>(model.input.selectedPoint)];
    const Vec3 from{s.easting, s.northing, s.elevation};
    const Pixel cursor{model.input.cursorX, model.input.cursorY};
    const int other = pickNearestPoint(model.document.points,
                                       model.document.documentLoaded ? model.document.pointCount : 0,
                                       screenDepthOf(model.renderer.frame), cursor);
    if (other != kNoPoint && other != model.input.selectedPoint) {
        const SurveyPoint& o = model.document.points[static_cast<std::size_t>(other)];
        drawDrapedLine(model, from, {o.easting, o.northing, o.elevation}, 5);
        return;
    }
    const std::optional<Vec3> ground = model.document.triangulateStage.done
                                           ? pickGroundPoint(screenDepthOf(model.renderer.frame), model.camera.view, cursor)
                                           : std::nullopt;
    if (!ground) return;
    const double dx = ground->x - from.x, dy = ground->y - from.y;
    const double planDistance = std::hypot(dx, dy);
    if (planDistance >= 15.0) {
        drawDrapedLine(model, from, *ground, 1);
        return;
    }
    if (planDistance == 0.0) return;
    // Close by: a short arrow showing where a wall point would go.
    const double ux = dx / planDistance, uy = dy / planDistance;
    const Vec3 tip{from.x + ux * planDistance, from.y + uy * planDistance, 0};
    const double head = 0.3 * planDistance;
    drawDrapedLine(model, from, tip, 4);
    drawDrapedLine(model, tip, {tip.x - head * (ux - 0.5 * uy), tip.y - head * (uy + 0.5 * ux), 0}, 4);
    drawDrapedLine(model, tip, {tip.x - head * (ux + 0.5 * uy), tip.y - head * (uy - 0.5 * ux), 0}, 4);
}

void updateHoverLabel(SiteModel& model, OverlayTextList& text) {
    if (model.display.showRain || model.display.showDwfOverlay) return;
    if (length(model.camera.velocity) >= 0.01) return;
    const int point = model.input.cursorInView
                          ? pickNearestPoint(model.document.points,
                                             model.document.documentLoaded ? model.document.pointCount : 0,
                                             screenDepthOf(model.renderer.frame),
                                             Pixel{model.input.cursorX, model.input.cursorY})
                          : kNoPoint;
    const auto now = Clock::now();
    model.input.hoverTime += std::chrono::duration<double>(now - model.input.lastHoverTick).count();
    model.input.lastHoverTick = now;
    if (point != model.input.hoverPoint) {
        model.input.hoverTime = 0.0;
        model.input.hoverPoint = point;
        return;
    }
    if (model.input.hoverTime <= 0.5 || point == kNoPoint) return;
    FrameBuffer& f = model.renderer.frame;
    const ProjectedPoint q = project(f, model.document.points[static_cast<std::size_t>(point)].scenePosition);
    if (!(q.x > 1 && q.x < f.viewWidth - 1 && q.y > 1 && q.y < f.viewHeight - 1)) return;
    const int x = static_cast<int>(q.x), y = static_cast<int>(q.y);
    putDisplayPixel(f, x, y, 1);
    putDisplayPixel(f, x - 1, y, 1);
    putDisplayPixel(f, x + 1, y, 1);
    putDisplayPixel(f, x, y - 1, 1);
    putDisplayPixel(f, x, y + 1, 1);
    addPointLabels(model, point, true, true, true, text);
}

}  // namespace vellacor
