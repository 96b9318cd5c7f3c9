#pragma once
#include <cstdint>

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

}  // namespace vellacor
