#pragma once
#include <cmath>

#include "model/survey_point.h"

namespace vellacor {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(const Vec3& a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(double s, const Vec3& a) { return a * s; }
inline Vec3& operator+=(Vec3& a, const Vec3& b) { return a = a + b; }

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// Inline, as normalise: the scene shades every triangle through them every frame.
inline double length(const Vec3& a) { return std::sqrt(dot(a, a)); }
double distance(const Vec3& a, const Vec3& b);

// A zero-length vector has no direction; the program then looks straight down.
inline Vec3 normalise(const Vec3& a) {
    const double len = length(a);
    if (len == 0.0 || !std::isfinite(len)) return {0.0, 0.0, -1.0};
    return a * (1.0 / len);
}

// Angle of (x, y) counter-clockwise from +x, in [0, 2*pi); 0 for (0, 0).
double Heading(double x, double y);

// The angle brought into (-pi, pi].
double WrapAngle(double a);

// Unit vector of heading h and polar angle p (measured from +z).
Vec3 Spherical(double h, double p);

// acos of a component of a unit vector, safe against rounding just past +-1.
double polarAngle(double z);

}  // namespace vellacor
