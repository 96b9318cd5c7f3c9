#pragma once
#include "camera/matrix.h"
#include "camera/picking.h"
#include "camera/projection.h"
#include "model/limit_polygon.h"

namespace vellacor {

// Vertices are grabbed within this many pixels of the cursor (exclusive).
inline constexpr int kVertexGrabPixels = 4;

// Vertex i, taken through `view` (scene to camera space) and projected, lies
// in the view, is not hidden behind what the last frame drew at its pixel,
// and is less than 4 pixels from the cursor in x and in y.
bool hitVertex(const LimitPolygon& polygon, int i, const Matrix& view, const ScreenDepth& screen, Pixel cursor);

// Selects the first vertex, in index order, under the cursor; without one the
// selection is cleared and the result is false.
bool selectVertexAtCursor(LimitPolygon& polygon, const Matrix& view, const ScreenDepth& screen, Pixel cursor);

// The selected vertex was let go on vertex j under the cursor (the first in
// index order other than itself): when the two are neighbours one of them
// goes, the lower of the two, or the last when they are the first and the
// last. True whenever such a j was found, whether or not one went.
bool dropOnNeighbour(LimitPolygon& polygon, const Matrix& view, const ScreenDepth& screen, Pixel cursor);

}  // namespace vellacor
