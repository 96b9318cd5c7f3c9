#pragma once
#include "camera/matrix.h"
#include "model/limit_polygon.h"
#include "render/frame_buffer.h"

namespace vellacor {

// Draws the limit polygon into the displayed picture, depth-tested against
// the scene: its edges in colour 1 where they meet the selected vertex and 2
// elsewhere, then, with `vertexMarks`, a 9 x 9 square on every vertex that
// the scene does not hide. `view` takes scene points to camera space.
void drawLimitPolygon(FrameBuffer& frame, const Matrix& view, const LimitPolygon& polygon, bool vertexMarks);

}  // namespace vellacor
