#pragma once

#include "model/site_document.h"
#include "render/scene.h"

namespace vellacor {

struct SiteModel;

SiteExtents extentsOf(const SiteDocument& document);

// The first passes of a scene rebuild, after the view is built: the buffers
// cleared, the points placed, the surface filled and the contours drawn over
// it. Once a surface is built this runs on two cores: one clears, places and
// fills while the other works out the shading ahead of the fill and
// rasterises the contours kept from an earlier frame; each then lays the
// contour pixels on half of the rows. Contours not kept yet are traced after
// the fill, and kept for the next frame.
void drawSurfaceAndContours(SiteModel& model, bool viewMoving);

}  // namespace vellacor
