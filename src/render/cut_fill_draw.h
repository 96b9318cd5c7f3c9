#pragma once
#include <span>

#include "model/surface_view.h"
#include "render/renderer_state.h"
#include "surface/contour_draw.h"

namespace vellacor {

// The difference d (site minus comparison) at each point of the site, NaN
// where no comparison lies under it, is what the cut/fill view draws.

// Corner shades in the cut/fill palette: d = -scale (deepest fill) is the
// ramp's first index, 0 its middle, +scale (deepest cut) its last; beyond
// the scale the ends. A triangle with a corner outside the comparison is the
// neutral grey throughout. `shades` holds surface.triangleCount entries.
// Time: the triangles.
void cutFillShade(const SurfaceView& surface, std::span<const double> difference, double scale,
                  std::span<TriangleShade> shades);

// The zero line: in every triangle whose corners' differences change sign,
// the straight piece where d, taken linear over the triangle, is 0, at the
// site's height there (the same line the colours cross their middle on).
// Time: the triangles.
void traceZeroLine(const SurfaceView& surface, std::span<const double> difference, ContourLineSink& sink,
                   std::uint8_t colour);

}  // namespace vellacor
