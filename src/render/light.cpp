#include "render/light.h"

#include <algorithm>
#include <cmath>

#include "model/site_model.h"

namespace vellacor {

void setLightMode(SiteModel& model, int mode) {
    if (model.light) model.light->lightMode = mode;
    model.redrawNeeded = true;
}

void cycleLightMode(SiteModel& model) {
    if (model.light) model.light->lightMode = (model.light->lightMode + 1) % 3;
    model.redrawNeeded = true;
}

void updateLight(SiteModel& model) {
    if (!model.light) return;
    Light& light = *model.light;
    switch (light.lightMode) {
        case kHeadlamp:
            light.position = model.camera.eye;
            light.lightGlowVisible = false;
            break;
        case kCircling: {
            // About 66 degrees a second, but never more than one 0.03 s step per frame.
            const double dt = std::min(model.frameSeconds, 0.03);
            light.angle += dt * 1.15465684983435;
            const double s = model.siteSize;
            light.position = {std::cos(light.angle) * 0.7 * s + model.siteCentre.x,
                              std::sin(light.angle) * 0.7 * s + model.siteCentre.y,
                              0.25 * s / model.verticalScale + model.siteCentre.z};
            light.lightGlowVisible = true;
            model.redrawNeeded = true;
            break;
        }
        default: light.lightGlowVisible = true; break;
    }
}

}  // namespace vellacor
