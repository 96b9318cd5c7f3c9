#pragma once
#include "model/survey_point.h"
#include "render/frame_buffer.h"

namespace vellacor {

// Camera space has the eye at the origin looking along -z; a point is in front
// of the eye when z < kNearPlane. Visible points satisfy |x| <= -z and |y| <= -z.
inline constexpr double kNearPlane = -0.001;

// A camera-space point on the screen: pixel x, pixel y and depth w = 1/z
// (negative in front of the eye, more negative nearer; 0 is infinitely far).
struct ProjectedPoint {
    double x = 0, y = 0, w = 0;
};

inline ProjectedPoint project(const FrameBuffer& frame, const Vec3& p) {
    const double w = 1.0 / p.z;
    return {(w * p.x + 1.0) * frame.halfWidth, (1.0 - w * p.y) * frame.halfHeight, w};
}

// The camera-space point that projects to pixel (sx, sy) at depth w.
inline Vec3 unproject(const FrameBuffer& frame, double sx, double sy, double w) {
    return {(sx / frame.halfWidth - 1.0) / w, (1.0 - sy / frame.halfHeight) / w, 1.0 / w};
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

// A point's place on the screen with its outcode. A rebuild works these out
// once per point rather than once for every triangle sharing the point.
struct ScreenPlacement {
    ProjectedPoint at;
    unsigned outcode = 0;
};

}  // namespace vellacor
