#pragma once
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "model/survey_point.h"
#include "render/frame_buffer.h"
#include "render/frame_projection.h"

namespace vellacor {

// Lines and point marks are drawn this much nearer than their true depth, so
// that they show on the surface they lie on.
inline constexpr double kLineDepthBias = 0.0003;

// Above this many points a point mark is a single pixel instead of a plus.
inline constexpr int kSmallPointMarkLimit = 50000;

// Moves the ends of a camera-space segment onto the view pyramid where they
// lie outside it; false when no part of the segment is inside.
bool clipLineToView(Vec3& a, Vec3& b);

// A camera-space segment: clipped to the view pyramid, projected and drawn
// depth-tested. Never writes depth.
void drawLine3D(FrameBuffer& frame, RasterTarget target, const Vec3& p1, const Vec3& p2, std::uint8_t colour);

// A screen-space segment between two projected points, depth-tested with the
// depth interpolated along it. Never writes depth. Pixels outside the buffer
// are skipped.
void drawLine2D(FrameBuffer& frame, RasterTarget target, const ProjectedPoint& a, const ProjectedPoint& b,
                std::uint8_t colour);

// Whole pixel of a projected coordinate; far-off values stay far off without overflowing.
// (Compared rather than through fmin and fmax, which are calls here; NaN
// becomes 1e15 either way.)
inline long long linePixelOf(double v) {
    const double below = v < 1.0e15 ? v : 1.0e15;
    return static_cast<long long>(below > -1.0e15 ? below : -1.0e15);
}

// Calls plot(x, y, w) for every pixel of the segment between two projected
// points, w being the depth there (drawn kLineDepthBias nearer), in order from
// a. Pixels may lie outside the buffer; the ends must be finite.
template <class Plot>
void forEachLinePixel(const ProjectedPoint& a, const ProjectedPoint& b, Plot&& plot) {
    long long x = linePixelOf(a.x), y = linePixelOf(a.y);
    const long long x2 = linePixelOf(b.x), y2 = linePixelOf(b.y);
    double w = a.w - kLineDepthBias;
    if (x == x2 && y == y2) {
        plot(x, y, w);
        return;
    }
    const long long dx = std::llabs(x2 - x), dy = std::llabs(y2 - y);
    const long long sx = x2 > x ? 1 : -1, sy = y2 > y ? 1 : -1;
    const bool xMajor = dx >= dy;
    const long long major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    const double dw = (b.w - a.w) / static_cast<double>(major);
    // Sub-pixel start: the first end lies this far into its pixel along the major axis.
    const double start = xMajor ? a.x : a.y;
    w += (start - std::trunc(start)) * dw;

    long long error = 2 * minor - major;
    for (long long i = 0; i <= major; ++i) {
        plot(x, y, w);
        if (error > 0) {
            if (xMajor)
                y += sy;
            else
                x += sx;
            error -= 2 * major;
        }
        error += 2 * minor;
        if (xMajor)
            x += sx;
        else
            y += sy;
        w += dw;
    }
}

// The mark of one survey point at projected position p: a plus of five pixels,
// or one pixel when the site has more than 50,000 points. Tested once, at the
// point's own pixel.
void drawPointMark(FrameBuffer& frame, RasterTarget target, const ProjectedPoint& p, std::uint8_t colour,
                   int pointCount);

}  // namespace vellacor
