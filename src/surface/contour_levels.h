#pragma once
#include <cmath>

namespace vellacor {

inline constexpr unsigned char kMinorContour = 250;  // palette index of a minor contour
inline constexpr unsigned char kMajorContour = 251;  // palette index of every fifth contour

// zMin rounded towards zero to a multiple of the interval, where the level
// loops start: zMin - fmod(zMin, interval), so firstLevel(-3.5, 1) is -3.
inline double firstLevel(double zMin, double interval) { return zMin - std::fmod(zMin, interval); }

// Every fifth interval is a major contour; level 0 is one.
inline bool isMajor(double level, double interval) { return std::fabs(std::fmod(level, 5.0 * interval)) < 0.001; }

}  // namespace vellacor
