#include "render/light.h"

#include <algorithm>
#include <cmath>

#include "app/site_model.h"

namespace vellacor {

void setLightMode(SiteModel& model, int mode) {
    if (model.renderer.light) model.renderer.light->lightMode = mode;
    model.renderer.redrawNeeded = true;
}

void cycleLightMode(SiteModel& model) {
    if (model.renderer.light) model.renderer.light->lightMode = (model.renderer.light->lightMode + 1) % 3;
    model.renderer.redrawNeeded = true;
}

void updateLight(SiteModel& model) {
    if (!model.renderer.light) return;
    Light& light = *model.renderer.light;
    switch (light.lightMode) {
        case kHeadlamp:
            light.position = model.camera.eye;
            light.lightGlowVisible = false;
            break;
        case kCircling: {
            // About 66 degrees a second, but never more than one 0.03 s step per frame.
            const double dt = std::min(model.cycle.frameSeconds, 0.03);
            light.angle += dt * 1.15465684983435;
            const double s = model.document.siteSize;
            light.position = {std::cos(light.angle) * 0.7 * s + model.document.siteCentre.x,
                              std::sin(light.angle) * 0.7 * s + model.document.siteCentre.y,
                              0.25 * s / model.display.verticalScale + model.document.siteCentre.z};
            light.lightGlowVisible = true;
            model.renderer.redrawNeeded = true;
            break;
        }
        default: light.lightGlowVisible = true; break;
    }
}

}  // namespace vellacor
