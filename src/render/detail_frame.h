#pragma once
#include <cstdint>
#include <vector>

#include "camera/matrix.h"
#include "camera/projection.h"
#include "model/surface_view.h"
#include "surface/detail_levels.h"

namespace vellacor {

// How far apart, on the screen, the points of the version a tile is drawn
// from may be, and how far its heights may lie from the whole surface's.
inline constexpr double kMostSpacingPixels = 4.0;
inline constexpr double kMostErrorPixels = 1.0;

// Chooses the frame's tiles and versions for the camera `view` (which holds
// the vertical scale `verticalScale`) and lists their triangles. False, with
// nothing listed, when the whole surface would cost about as much: it is
// then drawn whole.
bool chooseDetailFrame(const DetailSurface& detail, const SurfaceView& whole, const Matrix& view,
                       const Viewport& viewport, double verticalScale, DetailFrame& frame);

}  // namespace vellacor
