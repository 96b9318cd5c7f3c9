#include "render/line.h"

#include <cmath>
#include <cstdlib>

#include "render/clip.h"

namespace vellacor {

namespace {

// The outside bit a line end is moved off first: near plane, then the sides.
unsigned firstPlaneOf(unsigned code) {
    for (unsigned plane : {kOutNear, kOutBelow, kOutAbove, kOutRight, kOutLeft})
        if (code & plane) return plane;
    return 0;
}

Vec3 moveOntoPlane(const Vec3& outside, const Vec3& other, unsigned plane) {
    const ClipVertex v =
        intersectPlane({outside.x, outside.y, outside.z, 0, 0, 0}, {other.x, other.y, other.z, 0, 0, 0}, plane);
    return {v.x, v.y, v.z};
}

bool inBuffer(const FrameBuffer& f, long long x, long long y) {
    return x >= 0 && y >= 0 && x < f.viewWidth && y < f.viewHeight;
}

}  // namespace

bool clipLineToView(Vec3& a, Vec3& b) {
    unsigned ca = outcode(a), cb = outcode(b);
    // Each move clears one bit for good; the bound only guards against rounding.
    for (int moves = 0; ca | cb; ++moves) {
        if ((ca & cb) || moves > 10) return false;
        if (ca) {
            a = moveOntoPlane(a, b, firstPlaneOf(ca));
            ca = outcode(a);
        } else {
            b = moveOntoPlane(b, a, firstPlaneOf(cb));
            cb = outcode(b);
        }
    }
    return true;
}

void drawLine3D(FrameBuffer& frame, RasterTarget target, const Vec3& p1, const Vec3& p2, std::uint8_t colour) {
    Vec3 a = p1, b = p2;
    if (clipLineToView(a, b)) drawLine2D(frame, target, project(frame, a), project(frame, b), colour);
}

void drawLine2D(FrameBuffer& frame, RasterTarget target, const ProjectedPoint& a, const ProjectedPoint& b,
                std::uint8_t colour) {
    if (!target.pixels || !target.depth) return;
    if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) return;
    const long long width = frame.viewWidth;
    forEachLinePixel(a, b, [&](long long x, long long y, double w) {
        if (!inBuffer(frame, x, y)) return;
        const long long i = y * width + x;
        if (w <= target.depth[i]) target.pixels[i] = colour;
    });
}

void drawPointMark(FrameBuffer& frame, RasterTarget target, const ProjectedPoint& p, std::uint8_t colour,
                   int pointCount) {
    if (!target.pixels || !target.depth || !std::isfinite(p.x) || !std::isfinite(p.y)) return;
    const long long x = linePixelOf(p.x), y = linePixelOf(p.y);
    if (!inBuffer(frame, x, y)) return;
    const long long width = frame.viewWidth;
    const long long i = y * width + x;
    if (!(p.w - kLineDepthBias <= target.depth[i])) return;
    if (pointCount > kSmallPointMarkLimit) {
        target.pixels[i] = colour;
        return;
    }
    if (!(1 < p.x && p.x < frame.viewWidth - 1 && 1 < p.y && p.y < frame.viewHeight - 1)) return;
    for (long long j : {i, i - 1, i + 1, i - width, i + width}) target.pixels[j] = colour;
}

}  // namespace vellacor
