#pragma once
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

// What the bounds say of the plan triangle a, b, c (with its corners'
// elevations) against the surface: above it all over (kAbove), below it
// (kBelow) or not known (0). With an answer, `largest` is the most the
// triangle can lie above (below) the surface anywhere.
struct BoundedSide {
    static constexpr std::uint8_t kAbove = 1, kBelow = 2;
    std::uint8_t side = 0;
    double largest = 0;
};
BoundedSide boundedSide(const HeightBounds& bounds, const PlanTin::Point& a, const PlanTin::Point& b, const PlanTin::Point& c);

// A triangle of the surface near (x, y) to start a walk from, or -1.
std::int32_t triangleNear(const HeightBounds& bounds, double x, double y);

}  // namespace vellacor
