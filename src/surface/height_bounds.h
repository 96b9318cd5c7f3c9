#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "surface/plan_tin.h"

namespace vellacor {

// A coarse grid over a surface that covers a convex region: in each cell the
// lowest and highest elevation of any triangle reaching into it, and whether
// the cell lies wholly on the surface. A triangle of another surface over
// inner cells only, whose lowest corner is above every cell's highest (or
// whose highest is below every lowest), lies above (below) the surface all
// over, with no walk through the surface at all.
struct HeightBounds {
    double minX = 0, minY = 0, cell = 1, perCell = 1;
    int columns = 0, rows = 0;  // 0: no bounds (the surface is not convex, or too small)
    // A cell not wholly on the surface has no bounds: low -inf, high +inf.
    struct Range {
        double low, high;
    };
    std::vector<Range> range;
    std::vector<std::int32_t> triangle;  // a triangle reaching into the cell (-1: none), a start for walks

    std::size_t cells() const { return range.size(); }
    // The cell column (row) of a coordinate, -1 outside the grid. Monotone.
    int columnOf(double x) const {
        const double f = (x - minX) * perCell;
        return f >= 0 && f < columns ? static_cast<int>(f) : -1;
    }
    int rowOf(double y) const {
        const double f = (y - minY) * perCell;
        return f >= 0 && f < rows ? static_cast<int>(f) : -1;
    }
    // The cell holding (x, y), -1 outside the grid.
    std::ptrdiff_t cellOf(double x, double y) const {
        const int c = columnOf(x), r = rowOf(y);
        return c < 0 || r < 0 ? -1 : static_cast<std::ptrdiff_t>(r) * columns + c;
    }
};

// About one cell for every eight triangles. O(triangles + cells + edge
// triangles x rows). `convex`: coversConvexRegion(tin).
HeightBounds heightBoundsOf(const PlanTin& tin, bool convex);

// The cells whose box, grown by a margin far above the rounding of the cell
// arithmetic, lies inside the region the triangles of `tin` cover, which
// must be convex. O(cells + edge triangles x rows).
std::vector<std::uint8_t> innerCells(const HeightBounds& grid, const PlanTin& tin);

// The cells a plan triangle's box reaches, held inside the grid; `inside`:
// the whole box lies in the grid.
struct CellSpan {
    int c0 = 0, c1 = -1, r0 = 0, r1 = -1;
    bool inside = false;
    template <typename Visit>
    void forEach(const HeightBounds& grid, Visit&& visit) const {
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) visit(static_cast<std::size_t>(r) * static_cast<std::size_t>(grid.columns) + static_cast<std::size_t>(c));
    }
};
inline CellSpan cellSpanOf(const HeightBounds& grid, const PlanTin::Point& a, const PlanTin::Point& b, const PlanTin::Point& c) {
    CellSpan span;
    if (grid.columns == 0) return span;
    const double x0 = std::min({a.x, b.x, c.x}), x1 = std::max({a.x, b.x, c.x});
    const double y0 = std::min({a.y, b.y, c.y}), y1 = std::max({a.y, b.y, c.y});
    // Not finite: nothing.
    if (!(x0 <= x1 && y0 <= y1) || !std::isfinite(x1 - x0) || !std::isfinite(y1 - y0)) return span;
    span.c0 = grid.columnOf(x0), span.c1 = grid.columnOf(x1), span.r0 = grid.rowOf(y0), span.r1 = grid.rowOf(y1);
    span.inside = span.c0 >= 0 && span.c1 >= 0 && span.r0 >= 0 && span.r1 >= 0;
    if (span.inside) return span;
    // Held inside the grid; a box that misses it reaches no cell.
    const auto held = [](double f, int count) { return f <= 0 ? 0 : f >= count - 1 ? count - 1 : static_cast<int>(f); };
    const double fx0 = (x0 - grid.minX) * grid.perCell, fx1 = (x1 - grid.minX) * grid.perCell;
    const double fy0 = (y0 - grid.minY) * grid.perCell, fy1 = (y1 - grid.minY) * grid.perCell;
    if (fx1 < 0 || fy1 < 0 || fx0 >= grid.columns || fy0 >= grid.rows) return CellSpan{};
    span.c0 = held(fx0, grid.columns), span.c1 = held(fx1, grid.columns);
    span.r0 = held(fy0, grid.rows), span.r1 = held(fy1, grid.rows);
    return span;
}

// What the bounds say of the plan triangle a, b, c (with its corners'
// elevations, its cells `span`) against the surface: above it all over
// (kAbove), below it (kBelow) or not known (0). With an answer, the
// triangle lies at least `least` and at most `largest` above (below) the
// surface everywhere.
struct BoundedSide {
    static constexpr std::uint8_t kAbove = 1, kBelow = 2;
    std::uint8_t side = 0;
    double least = 0, largest = 0;
};
BoundedSide boundedSide(const HeightBounds& bounds, const CellSpan& span, const PlanTin::Point& a, const PlanTin::Point& b,
                        const PlanTin::Point& c);

// A triangle of the surface near (x, y) to start a walk from, or -1.
std::int32_t triangleNear(const HeightBounds& bounds, double x, double y);

}  // namespace vellacor
