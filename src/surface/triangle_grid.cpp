#include "surface/triangle_grid.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "surface/plan_triangle.h"
#include "surface/point_location.h"

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

namespace {

// The grid over `count` triangles whose plan boxes boxOf(t) gives.
template <typename BoxOf>
TriangleGrid gridOver(int count, BoxOf boxOf) {
    TriangleGrid grid;
    std::vector<Box> boxes(static_cast<std::size_t>(std::max(count, 0)));
    bool first = true;
    for (int t = 0; t < count; ++t) {
        const Box b = boxes[static_cast<std::size_t>(t)] = boxOf(t);
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
    grid.cellSize = std::max({std::sqrt(area / count), width / kMostCellsPerSide,
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
    for (int t = 0; t < count; ++t) {
        const Box& b = boxes[static_cast<std::size_t>(t)];
        if (finite(b)) forEachCell(b, [&](std::size_t cell) { grid.triangles[static_cast<std::size_t>(next[cell]++)] = t; });
    }
    return grid;
}

// The cell holding (x, y), or none off the grid.
std::optional<std::size_t> cellHolding(const TriangleGrid& grid, double x, double y) {
    if (grid.columns == 0 || !(x >= grid.minX && x <= grid.maxX && y >= grid.minY && y <= grid.maxY))
        return std::nullopt;
    return static_cast<std::size_t>(gridCellOf(y, grid.minY, grid.cellSize, grid.rows)) * static_cast<std::size_t>(grid.columns) +
           static_cast<std::size_t>(gridCellOf(x, grid.minX, grid.cellSize, grid.columns));
}

}  // namespace

TriangleGrid buildTriangleGrid(const SurfaceView& surface) {
    return gridOver(surface.triangleCount, [&](int t) { return boxOf(surface, t); });
}

TriangleGrid buildTriangleGrid(const PlanTin& tin, const std::vector<int>* only) {
    const auto boxOfTriangle = [&](int t) {
        const PlanTin::Point &a = tin.corner(t, 0), &b = tin.corner(t, 1), &c = tin.corner(t, 2);
        return Box{std::min({a.x, b.x, c.x}), std::min({a.y, b.y, c.y}), std::max({a.x, b.x, c.x}), std::max({a.y, b.y, c.y})};
    };
    if (!only) return gridOver(tin.triangleCount(), boxOfTriangle);
    TriangleGrid grid = gridOver(static_cast<int>(only->size()),
                                 [&](int i) { return boxOfTriangle((*only)[static_cast<std::size_t>(i)]); });
    for (int& t : grid.triangles) t = (*only)[static_cast<std::size_t>(t)];
    return grid;
}

int locateInGrid(const TriangleGrid& grid, const PlanTin& tin, double x, double y) {
    const std::optional<std::size_t> cell = cellHolding(grid, x, y);
    if (!cell) return kNoTriangle;
    for (int i = grid.cellStart[*cell]; i < grid.cellStart[*cell + 1]; ++i) {
        const int t = grid.triangles[static_cast<std::size_t>(i)];
        if (tin.hasArea[static_cast<std::size_t>(t)] && placeAgainst(tin, t, x, y).place != Place::Outside) return t;
    }
    return kNoTriangle;
}

int locateInGrid(const TriangleGrid& grid, const SurfaceView& surface, double x, double y) {
    const std::optional<std::size_t> found = cellHolding(grid, x, y);
    if (!found) return kNoTriangle;
    const std::size_t cell = *found;
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
