#pragma once

#include "model/site_document.h"
#include "render/scene.h"

namespace vellacor {

struct SiteModel;

SiteExtents extentsOf(const SiteDocument& document);

// The first passes of a scene rebuild, after the view is built: the buffers
// cleared, the points placed, the surface filled and the contours drawn over
// it. Once a surface is built this runs on two cores: one clears the picture,
// places the points and fills, while the other clears the depth, works out the
// shading ahead of the fill and rasterises the contours (traced there the
// first time, and kept for the frames after it); their pixels are laid on the
// finished surface.
void drawSurfaceAndContours(SiteModel& model, bool viewMoving);

}  // namespace vellacor
