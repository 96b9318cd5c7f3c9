#pragma once
#include <span>

#include "model/survey_point.h"

namespace vellacor {

// Camera space has the eye at the origin looking along -z; a point is in front
// of the eye when z < kNearPlane. Visible points satisfy |x| <= -z and |y| <= -z.
inline constexpr double kNearPlane = -0.001;

// The picture the view is projected onto: its size in pixels and the
// projection's scales (half the size less one).
struct Viewport {
    int width = 0;
    int height = 0;
    double halfWidth = 0;
    double halfHeight = 0;
};

// A camera-space point on the screen: pixel x, pixel y and depth w = 1/z
// (negative in front of the eye, more negative nearer; 0 is infinitely far).
struct ProjectedPoint {
    double x = 0, y = 0, w = 0;
};

inline ProjectedPoint project(const Viewport& viewport, const Vec3& p) {
    const double w = 1.0 / p.z;
    return {(w * p.x + 1.0) * viewport.halfWidth, (1.0 - w * p.y) * viewport.halfHeight, w};
}

// The camera-space point that projects to pixel (sx, sy) at depth w.
inline Vec3 unproject(const Viewport& viewport, double sx, double sy, double w) {
    return {(sx / viewport.halfWidth - 1.0) / w, (1.0 - sy / viewport.halfHeight) / w, 1.0 / w};
}

// Which side of the view pyramid a camera-space point is outside of.
enum OutcodeBit : unsigned {
    kOutBelow = 1,  // y < z
    kOutAbove = 2,  // y > -z
    kOutLeft = 4,   // x < z
    kOutRight = 8,  // x > -z
    kOutNear = 16,  // z > kNearPlane (behind or too close to the eye)
};

inline unsigned outcode(const Vec3& p) {
    unsigned code = 0;
    if (p.y < p.z) code |= kOutBelow;
    if (p.y > -p.z) code |= kOutAbove;
    if (p.x < p.z) code |= kOutLeft;
    if (p.x > -p.z) code |= kOutRight;
    if (p.z > kNearPlane) code |= kOutNear;
    return code;
}

// The last frame drawn: its viewport and the depth w of every pixel (0 where
// nothing is drawn), rows viewport.width apart. The depth is empty before the
// first frame.
struct ScreenDepth {
    Viewport viewport;
    std::span<const double> depth;

    double at(int x, int y) const {
        return depth[static_cast<std::size_t>(y) * static_cast<std::size_t>(viewport.width) + static_cast<std::size_t>(x)];
    }
};

}  // namespace vellacor
