#include "camera/vector_math.h"

#include <cmath>

namespace vellacor {

double distance(const Vec3& a, const Vec3& b) { return length(a - b); }

double Heading(double x, double y) {
    double h = std::atan2(y, x);
    if (h < 0.0) h += kTwoPi;
    if (h >= kTwoPi) h -= kTwoPi;  // -tiny + 2*pi rounds to 2*pi
    return h;
}

double WrapAngle(double a) {
    // fmod instead of adding turns one by one: a huge angle must not loop for ever.
    a = std::fmod(a, kTwoPi);
    if (a < 0.0) a += kTwoPi;
    if (a > kPi) a -= kTwoPi;
    return a;
}

Vec3 Spherical(double h, double p) {
    return normalise({std::cos(h) * std::sin(p), std::sin(h) * std::sin(p), std::cos(p)});
}

double polarAngle(double z) {
    if (z > 1.0) z = 1.0;
    if (z < -1.0) z = -1.0;
    return std::acos(z);
}

}  // namespace vellacor
