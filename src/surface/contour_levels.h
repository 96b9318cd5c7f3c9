#pragma once
#include <cmath>
#include <cstddef>

namespace vellacor {

inline constexpr unsigned char kMinorContour = 250;  // palette index of a minor contour
inline constexpr unsigned char kMajorContour = 251;  // palette index of every fifth contour

// More levels than this over one range are not a contour map: drawing and
// export both stop there.
inline constexpr std::size_t kMostContourLevels = 1000000;

// zMin rounded towards zero to a multiple of the interval, where the level
// loops start: zMin - fmod(zMin, interval), so firstLevel(-3.5, 1) is -3.
inline double firstLevel(double zMin, double interval) { return zMin - std::fmod(zMin, interval); }

// Every fifth interval is a major contour; level 0 is one.
inline bool isMajor(double level, double interval) { return std::fabs(std::fmod(level, 5.0 * interval)) < 0.001; }

// The contour levels from firstLevel(zMin) up to zMax, one interval apart,
// each passed to `visit`. Stops after kMostContourLevels levels, and where an
// interval is below the levels' precision (adding it no longer moves the level).
template <class Visit>
void forEachContourLevel(double zMin, double zMax, double interval, Visit&& visit) {
    if (!(interval > 0.0)) return;
    std::size_t count = 0;
    for (double level = firstLevel(zMin, interval); level <= zMax && count < kMostContourLevels; ++count) {
        visit(level);
        const double next = level + interval;
        if (next <= level) break;
        level = next;
    }
}

}  // namespace vellacor
