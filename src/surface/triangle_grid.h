#pragma once
#include <vector>

#include "model/surface_view.h"

namespace vellacor {

// The triangles of a surface sorted into the cells of a plan grid laid over
// them, each triangle in every cell its bounding box touches, so that the
// triangle under a position is found among the few of one cell.
struct TriangleGrid {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;  // the box of every triangle
    double cellSize = 1;
    int columns = 0, rows = 0;
    std::vector<int> cellStart;  // cell c holds triangles[cellStart[c] .. cellStart[c + 1])
    std::vector<int> triangles;
};

// About one cell per triangle. Time: the triangles plus the cells their boxes cover.
TriangleGrid buildTriangleGrid(const SurfaceView& surface);

// The triangle that holds (x, y) (exact test), or kNoTriangle: then no
// triangle of the surface holds it.
int locateInGrid(const TriangleGrid& grid, const SurfaceView& surface, double x, double y);

// The plan box (x0, y0) - (x1, y1) misses every triangle's box.
bool gridMissesBox(const TriangleGrid& grid, double x0, double y0, double x1, double y1);

}  // namespace vellacor
