#pragma once
#include "model/limit_polygon.h"
#include "model/surface_view.h"

namespace vellacor {

// The starting limit polygon: a hexagon of radius siteSize / 8 around the
// site centre, its corners laid on the surface. Corners that fall off the
// surface are left out, so it may have fewer than six (or none).
LimitPolygon makeLimitPolygon(const SurfaceView& surface, const Vec3& siteCentre, double siteSize);

}  // namespace vellacor
