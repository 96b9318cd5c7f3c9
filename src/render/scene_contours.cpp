#include "model/site_model.h"
#include "render/scene.h"

namespace vellacor {

void drawContourLayer(SiteModel&, bool) {
    // The per-triangle contour tracing draws here when it lands.
}

}  // namespace vellacor
