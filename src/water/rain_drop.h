#pragma once
#include <cstdint>
#include <limits>

#include "model/survey_point.h"

namespace vellacor {

// One raindrop: where it is, where it was a frame ago, how it moves, the
// triangle under it (kNoTriangle when it is off the surface) and the seconds
// it has left.
struct RainDrop {
    Vec3 position;
    Vec3 previousPosition;
    Vec3 velocity;
    std::int32_t triangle = 0;
    std::int32_t previousTriangle = 0;
    double life = 0.0;
};

// Where a drop shows in the picture: its pixel and depth, and the pixel where
// the streak behind it ends. The rain works these out as it steps each drop,
// while the drop is at hand, so drawing reads these few bytes instead of
// every drop record again.
struct DropOnScreen {
    static constexpr std::int32_t kOffScreen = -1;  // x: not drawn
    static constexpr std::int32_t kUnplaced = -2;   // x: moved since; work it out again
    static constexpr std::int32_t kNoStreak = std::numeric_limits<std::int32_t>::min();  // streakX

    double w = 0.0;
    std::int32_t x = kUnplaced, y = 0;
    std::int32_t streakX = kNoStreak, streakY = 0;
};

}  // namespace vellacor
