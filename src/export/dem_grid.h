#pragma once
#include <vector>

#include "model/surface_view.h"
#include "surface/triangle_grid.h"

namespace vellacor {

// A north-up grid laid over the surface's triangles: cell (column, row) has
// its centre at (west + (column + 0.5) * cell, north - (row + 0.5) * cell).
struct DemGrid {
    double west = 0;
    double north = 0;
    double cellSize = 1;
    long long columns = 0;
    long long rows = 0;
};

// The plan box of every triangle's corners; empty (west > east) without triangles.
struct PlanBox {
    double west = 0, south = 0, east = -1, north = -1;
};
PlanBox triangleBox(const SurfaceView& surface);

// The grid of `cellSize` (> 0) covering the box of every triangle; at least
// one cell each way. No columns when the surface has no triangle.
DemGrid demGridOver(const SurfaceView& surface, double cellSize);

// The height of the surface at each cell centre of rows [firstRow, firstRow +
// rowCount), row by row, `noData` where no triangle holds the centre. A
// centre on an edge or a corner gets the height the triangles there share.
// Time: the cells times the triangles of a cell of the triangle grid.
class DemSampler {
public:
    DemSampler(const SurfaceView& surface, const DemGrid& grid);

    void sampleRows(long long firstRow, long long rowCount, double noData, std::vector<double>& heights) const;

private:
    SurfaceView surface_;
    DemGrid grid_;
    TriangleGrid triangles_;
};

}  // namespace vellacor
