#pragma once
#include <cmath>
#include <cstddef>
#include <vector>

#include "model/surface_view.h"
#include "surface/plan_tin.h"

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
// The same over a plan-ordered copy, numbered as its triangles: all of
// them, or only those listed.
TriangleGrid buildTriangleGrid(const PlanTin& tin, const std::vector<int>* only = nullptr);

// The triangle that holds (x, y) (exact test), or kNoTriangle: then no
// triangle of the surface holds it.
int locateInGrid(const TriangleGrid& grid, const SurfaceView& surface, double x, double y);
int locateInGrid(const TriangleGrid& grid, const PlanTin& tin, double x, double y);

// The plan box (x0, y0) - (x1, y1) misses every triangle's box.
bool gridMissesBox(const TriangleGrid& grid, double x0, double y0, double x1, double y1);

// The cell column (or row) of a coordinate, held inside the grid. Monotone in
// the coordinate, so a box's cells are those between its corners' cells.
inline int gridCellOf(double v, double origin, double cellSize, int count) {
    const double c = std::floor((v - origin) / cellSize);
    if (!(c > 0)) return 0;
    return c >= count - 1 ? count - 1 : static_cast<int>(c);
}

// Calls visit(t) for each triangle listed in a cell the box (x0, y0) - (x1,
// y1) touches (x0 <= x1, y0 <= y1); a triangle in several cells comes once a
// cell. Time: the cells the box covers and their triangles.
template <typename Visit>
void forEachTriangleNear(const TriangleGrid& grid, double x0, double y0, double x1, double y1, Visit&& visit) {
    if (gridMissesBox(grid, x0, y0, x1, y1)) return;
    const int c0 = gridCellOf(x0, grid.minX, grid.cellSize, grid.columns);
    const int c1 = gridCellOf(x1, grid.minX, grid.cellSize, grid.columns);
    const int r0 = gridCellOf(y0, grid.minY, grid.cellSize, grid.rows);
    const int r1 = gridCellOf(y1, grid.minY, grid.cellSize, grid.rows);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            const std::size_t cell =
                static_cast<std::size_t>(r) * static_cast<std::size_t>(grid.columns) + static_cast<std::size_t>(c);
            for (int i = grid.cellStart[cell]; i < grid.cellStart[cell + 1]; ++i)
                visit(grid.triangles[static_cast<std::size_t>(i)]);
        }
}

}  // namespace vellacor
