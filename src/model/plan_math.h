#pragma once

#include "model/survey_point.h"

namespace vellacor {

// Plan cross product of (ax, ay) and (bx, by): positive when the second turns
// left of the first, zero when they are parallel.
inline double cross2(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// The point a fraction s of the way from a to b (s outside 0..1 goes beyond them).
inline Vec3 lerp(const Vec3& a, const Vec3& b, double s) {
    return {a.x + s * (b.x - a.x), a.y + s * (b.y - a.y), a.z + s * (b.z - a.z)};
}

}  // namespace vellacor
