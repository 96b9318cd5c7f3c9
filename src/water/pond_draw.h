#pragma once
#include "camera/matrix.h"
#include "model/surface_view.h"
#include "render/frame_buffer.h"
#include "water/pond_system.h"

namespace vellacor {

// Draws the water of every pond into the displayed picture (recolouring what
// is under it, rippled when `ripples`) and measures each pond's size from
// its wetted area. `eye` is the camera's position, to face the water towards it.
void drawPonds(FrameBuffer& frame, const Matrix& view, const Vec3& eye, const SurfaceView& surface, PondSystem& ponds,
               bool ripples);

// The size a pond rises by: the root of its wetted area, never below 10.
double pondSize(double wettedArea);

}  // namespace vellacor
