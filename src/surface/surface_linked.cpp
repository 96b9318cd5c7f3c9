#include "surface/surface_linked.h"

#include "app/site_model.h"

namespace vellacor {

// With the links done the camera's orbit target goes onto the ground below
// the site centre (or the camera's fallback when no triangle holds it).
void onSurfaceLinked(SiteModel& model) { model.camera.PlaceTargetOnSurface(model); }

}  // namespace vellacor
