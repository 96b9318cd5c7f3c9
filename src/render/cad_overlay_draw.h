#pragma once
#include <span>

#include "camera/matrix.h"
#include "model/cad_lines.h"
#include "render/frame_buffer.h"

namespace vellacor {

// Draped CAD lines into the scene, each in its colour, depth-tested against
// the surface. Points off the surface (kOutsideSurface) and on vertical faces
// (kNoElevation) are gaps.
void drawDrapedCadLines(FrameBuffer& frame, const Matrix& view, std::span<const CadLine> lines);

// Where a view pixel lies on the drawing in the flat overlay view.
struct DrawingPoint {
    double x = 0.0;
    double y = 0.0;
};
DrawingPoint drawingPointAt(const FlatOverlayView& view, int viewWidth, int viewHeight, double sx, double sy);

// A DWF drawing waiting for alignment, flat in plan through its own view,
// in front of everything.
void drawFlatCadLines(FrameBuffer& frame, std::span<const CadLine> lines, const FlatOverlayView& view);

}  // namespace vellacor
