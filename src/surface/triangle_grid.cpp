#include "surface/triangle_grid.h"

#include <algorithm>
#include <cmath>

#include "surface/plan_triangle.h"

namespace vellacor {

namespace {

constexpr int kMostCellsPerSide = 4096;

struct Box {
    double minX, minY, maxX, maxY;
};

Box boxOf(const SurfaceView& surface, int t) {
    const TinTriangle& triangle = surface.triangle(t);
    const SurveyPoint& a = surface.point(triangle.vertex[0]);
    Box box{a.easting, a.northing, a.easting, a.northing};
    for (int k = 1; k < 3; ++k) {
        const SurveyPoint& p = surface.point(triangle.vertex[k]);
        box = {std::min(box.minX, p.easting), std::min(box.minY, p.northing), std::max(box.maxX, p.easting),
               std::max(box.maxY, p.northing)};
    }
    return box;
}

bool finite(const Box& b) {
    return std::isfinite(b.minX) && std::isfinite(b.minY) && std::isfinite(b.maxX) && std::isfinite(b.maxY);
}


}  // namespace

TriangleGrid buildTriangleGrid(const SurfaceView& surface) {
    TriangleGrid grid;
    std::vector<Box> boxes(static_cast<std::size_t>(std::max(surface.triangleCount, 0)));
    bool first = true;
    for (int t = 0; t < surface.triangleCount; ++t) {
        const Box b = boxes[static_cast<std::size_t>(t)] = boxOf(surface, t);
        if (!finite(b)) continue;
        grid.minX = first ? b.minX : std::min(grid.minX, b.minX);
        grid.minY = first ? b.minY : std::min(grid.minY, b.minY);
        grid.maxX = first ? b.maxX : std::max(grid.maxX, b.maxX);
        grid.maxY = first ? b.maxY : std::max(grid.maxY, b.maxY);
        first = false;
    }
    if (first) return grid;  // no triangle to hold anything
    const double width = grid.maxX - grid.minX, height = grid.maxY - grid.minY;
    const double area = std::max(width * height, 1e-300);
    grid.cellSize = std::max({std::sqrt(area / surface.triangleCount), width / kMostCellsPerSide,
                              height / kMostCellsPerSide, 1e-300});
    grid.columns = std::clamp(static_cast<int>(std::ceil(width / grid.cellSize)), 1, kMostCellsPerSide);
    grid.rows = std::clamp(static_cast<int>(std::ceil(height / grid.cellSize)), 1, kMostCellsPerSide);

    // Two passes: count each cell's triangles, then place them.
    const std::size_t cells = static_cast<std::size_t>(grid.columns) * static_cast<std::size_t>(grid.rows);
    grid.cellStart.assign(cells + 1, 0);
    auto forEachCell = [&](const Box& b, auto&& visit) {
        const int c0 = gridCellOf(b.minX, grid.minX, grid.cellSize, grid.columns);
        const int c1 = gridCellOf(b.maxX, grid.minX, grid.cellSize, grid.columns);
        const int r0 = gridCellOf(b.minY, grid.minY, grid.cellSize, grid.rows);
        const int r1 = gridCellOf(b.maxY, grid.minY, grid.cellSize, grid.rows);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) visit(static_cast<std::size_t>(r) * static_cast<std::size_t>(grid.columns) + static_cast<std::size_t>(c));
    };
    for (const Box& b : boxes)
        if (finite(b)) forEachCell(b, [&](std::size_t cell) { ++grid.cellStart[cell + 1]; });
    for (std::size_t c = 0; c < cells; ++c) grid.cellStart[c + 1] += grid.cellStart[c];
    grid.triangles.resize(static_cast<std::size_t>(grid.cellStart[cells]));
    std::vector<int> next(grid.cellStart.begin(), grid.cellStart.end() - 1);
    for (int t = 0; t < surface.triangleCount; ++t) {
        const Box& b = boxes[static_cast<std::size_t>(t)];
        if (finite(b)) forEachCell(b, [&](std::size_t cell) { grid.triangles[static_cast<std::size_t>(next[cell]++)] = t; });
    }
    return grid;
}

int locateInGrid(const TriangleGrid& grid, const SurfaceView& surface, double x, double y) {
    if (grid.columns == 0 || !(x >= grid.minX && x <= grid.maxX && y >= grid.minY && y <= grid.maxY))
        return kNoTriangle;
    const std::size_t cell =
        static_cast<std::size_t>(gridCellOf(y, grid.minY, grid.cellSize, grid.rows)) * static_cast<std::size_t>(grid.columns) +
        static_cast<std::size_t>(gridCellOf(x, grid.minX, grid.cellSize, grid.columns));
    for (int i = grid.cellStart[cell]; i < grid.cellStart[cell + 1]; ++i) {
        const int t = grid.triangles[static_cast<std::size_t>(i)];
        if (triangleHoldsExactly(surface, t, x, y)) return t;
    }
    return kNoTriangle;
}

bool gridMissesBox(const TriangleGrid& grid, double x0, double y0, double x1, double y1) {
    return grid.columns == 0 || std::max(x0, x1) < grid.minX || std::min(x0, x1) > grid.maxX ||
           std::max(y0, y1) < grid.minY || std::min(y0, y1) > grid.maxY;
}

}  // namespace vellacor
