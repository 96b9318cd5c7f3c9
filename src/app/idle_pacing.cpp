#include "app/idle_pacing.h"

#include "app/site_model.h"

namespace vellacor {

int idleDelayMs(const SiteModel& model, bool foreground) {
    if (model.camera.mode == CameraMode::FlyTo) {
        constexpr double frame = 0.03333333333333333;
        return model.cycle.frameSeconds < frame ? static_cast<int>((frame - model.cycle.frameSeconds) * 1000.0) : 0;
    }
    if (model.display.showRain) return 0;
    return foreground ? 20 : 200;
}

}  // namespace vellacor
