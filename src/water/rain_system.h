#pragma once
#include "camera/camera_inputs.h"

namespace vellacor {

// Filled in when this feature lands. The rain camera reads drops through
// RainDropSource; until the rain exists there are none.
struct RainSystem : RainDropSource {
    bool GetDrop(int, Vec3&, int&) const override { return false; }
};

}  // namespace vellacor
