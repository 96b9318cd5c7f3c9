#include "render/light.h"

#include <algorithm>
#include <cmath>

namespace vellacor {

bool moveLight(Light& light, const LightSurroundings& around) {
    switch (light.lightMode) {
        case LightMode::Headlamp:
            light.position = around.eye;
            light.lightGlowVisible = false;
            return false;
        case LightMode::Circling: {
            // About 66 degrees a second, but never more than one 0.03 s step per frame.
            const double dt = std::min(around.frameSeconds, 0.03);
            light.angle += dt * 1.15465684983435;
            const double s = around.siteSize;
            light.position = {std::cos(light.angle) * 0.7 * s + around.siteCentre.x,
                              std::sin(light.angle) * 0.7 * s + around.siteCentre.y,
                              0.25 * s / around.verticalScale + around.siteCentre.z};
            light.lightGlowVisible = true;
            return true;
        }
        case LightMode::Stationary: light.lightGlowVisible = true; return false;
    }
    return false;
}

}  // namespace vellacor
