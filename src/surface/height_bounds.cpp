#include "surface/height_bounds.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "system/two_cores.h"

namespace vellacor {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr int kMostCells = 4000;

std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i); }

// The surface's edge: the triangle edges with nothing beyond them.
struct EdgeSegment {
    double ax, ay, bx, by;
};

std::vector<EdgeSegment> edgeOf(const PlanTin& tin) {
    std::vector<EdgeSegment> edge;
    for (int t = 0; t < tin.triangleCount(); ++t)
        for (int k = 0; k < 3; ++k)
            if (tin.neighbours[at(t)][static_cast<std::size_t>(k)] < 0) {
                const PlanTin::Point &a = tin.corner(t, k), &b = tin.corner(t, (k + 1) % 3);
                edge.push_back({a.x, a.y, b.x, b.y});
            }
    return edge;
}

// Where the line at northing y crosses a convex region: [from, to], empty
// (from > to) when it misses it.
struct Span {
    double from = kInfinity, to = -kInfinity;
};

Span spanAt(const std::vector<EdgeSegment>& edge, double y) {
    Span span;
    for (const EdgeSegment& e : edge) {
        if (y < std::min(e.ay, e.by) || y > std::max(e.ay, e.by)) continue;
        if (e.ay == e.by) {
            span.from = std::min({span.from, e.ax, e.bx});
            span.to = std::max({span.to, e.ax, e.bx});
            continue;
        }
        const double x = e.ax + (y - e.ay) * (e.bx - e.ax) / (e.by - e.ay);
        span.from = std::min(span.from, x);
        span.to = std::max(span.to, x);
    }
    return span;
}

bool allFinite(const PlanTin& tin) {
    for (const PlanTin::Point& p : tin.points)
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    return true;
}

}  // namespace

HeightBounds heightBoundsOf(const PlanTin& tin, bool convex) {
    HeightBounds bounds;
    const PlanTin::Box& box = tin.box;
    const double width = box.maxX - box.minX, height = box.maxY - box.minY;
    if (!convex || tin.triangleCount() < 64 || !(width > 0 && height > 0) || !allFinite(tin)) return bounds;
    bounds.minX = box.minX, bounds.minY = box.minY;
    bounds.cell = std::max(std::sqrt(width * height * 8.0 / tin.triangleCount()), std::max(width, height) / kMostCells);
    bounds.perCell = 1.0 / bounds.cell;
    bounds.columns = static_cast<int>(width * bounds.perCell) + 1;
    bounds.rows = static_cast<int>(height * bounds.perCell) + 1;
    const std::size_t cells = static_cast<std::size_t>(bounds.columns) * static_cast<std::size_t>(bounds.rows);
    bounds.range.assign(cells, {kInfinity, -kInfinity});
    bounds.triangle.assign(cells, -1);

    // Each triangle's elevations go into every cell its box reaches: half
    // the triangles on each core, the second half into a grid of its own,
    // joined after.
    std::vector<HeightBounds::Range> otherRange(cells, {kInfinity, -kInfinity});
    std::vector<std::int32_t> otherTriangle(cells, -1);
    const auto fill = [&](int first, int last, std::vector<HeightBounds::Range>& ranges, std::vector<std::int32_t>& triangles) {
        for (int t = first; t < last; ++t) {
            const PlanTin::Point &a = tin.corner(t, 0), &b = tin.corner(t, 1), &c = tin.corner(t, 2);
            double lo = std::min({a.z, b.z, c.z}), hi = std::max({a.z, b.z, c.z});
            if (std::isnan(a.z) || std::isnan(b.z) || std::isnan(c.z)) lo = -kInfinity, hi = kInfinity;
            cellSpanOf(bounds, a, b, c).forEach(bounds, [&](std::size_t i) {
                HeightBounds::Range& range = ranges[i];
                range.low = std::min(range.low, lo);
                range.high = std::max(range.high, hi);
                triangles[i] = t;
            });
        }
    };
    const int half = tin.triangleCount() / 2;
    runOnTwoCores([&] { fill(half, tin.triangleCount(), otherRange, otherTriangle); },
                  [&] { fill(0, half, bounds.range, bounds.triangle); });
    for (std::size_t i = 0; i < cells; ++i) {
        bounds.range[i] = {std::min(bounds.range[i].low, otherRange[i].low), std::max(bounds.range[i].high, otherRange[i].high)};
        if (bounds.triangle[i] < 0) bounds.triangle[i] = otherTriangle[i];
    }

    const std::vector<std::uint8_t> inner = innerCells(bounds, tin);
    for (std::size_t i = 0; i < cells; ++i)
        if (!inner[i]) bounds.range[i] = {-kInfinity, kInfinity};
    return bounds;
}

std::vector<std::uint8_t> innerCells(const HeightBounds& grid, const PlanTin& tin) {
    std::vector<std::uint8_t> inner(grid.cells(), 0);
    const PlanTin::Box& box = tin.box;
    if (grid.columns == 0 || !(box.minX <= box.maxX && box.minY <= box.maxY) || !allFinite(tin)) return inner;
    // The region's span at a little below and a little above each line
    // between rows holds both ends of every inner cell of the two rows.
    const std::vector<EdgeSegment> edge = edgeOf(tin);
    const double margin = 1e-9 * (std::max({std::abs(box.minX), std::abs(box.maxX), std::abs(box.minY), std::abs(box.maxY),
                                            std::abs(grid.minX), std::abs(grid.minY)}) +
                                  std::max(grid.columns, grid.rows) * grid.cell);
    std::vector<Span> line(static_cast<std::size_t>(grid.rows) + 1);
    for (int r = 0; r <= grid.rows; ++r) {
        const double y = grid.minY + r * grid.cell;
        const Span below = spanAt(edge, y - margin), above = spanAt(edge, y + margin);
        line[static_cast<std::size_t>(r)] = {std::max(below.from, above.from) + margin, std::min(below.to, above.to) - margin};
    }
    for (int r = 0; r < grid.rows; ++r) {
        const Span &lower = line[static_cast<std::size_t>(r)], &upper = line[static_cast<std::size_t>(r) + 1];
        const double from = std::max(lower.from, upper.from), to = std::min(lower.to, upper.to);
        for (int col = 0; col < grid.columns; ++col) {
            const double x0 = grid.minX + col * grid.cell;
            inner[static_cast<std::size_t>(r) * static_cast<std::size_t>(grid.columns) + static_cast<std::size_t>(col)] =
                x0 - margin > from && x0 + grid.cell + margin < to;
        }
    }
    return inner;
}

BoundedSide boundedSide(const HeightBounds& bounds, const CellSpan& span, const PlanTin::Point& a, const PlanTin::Point& b,
                        const PlanTin::Point& c) {
    if (!span.inside) return {};
    const double lo = std::min({a.z, b.z, c.z}), hi = std::max({a.z, b.z, c.z});
    if (std::isnan(a.z) || std::isnan(b.z) || std::isnan(c.z)) return {};
    double low = kInfinity, high = -kInfinity;
    span.forEach(bounds, [&](std::size_t i) {
        low = std::min(low, bounds.range[i].low);
        high = std::max(high, bounds.range[i].high);
    });
    if (lo > high) return {BoundedSide::kAbove, lo - high, hi - low};
    if (hi < low) return {BoundedSide::kBelow, low - hi, high - lo};
    return {};
}

std::int32_t triangleNear(const HeightBounds& bounds, double x, double y) {
    if (bounds.columns == 0) return -1;
    const auto cellOf = [](double f, int count) { return f > 0 ? (f < count ? static_cast<int>(f) : count - 1) : 0; };
    const int col = cellOf((x - bounds.minX) * bounds.perCell, bounds.columns);
    const int row = cellOf((y - bounds.minY) * bounds.perCell, bounds.rows);
    return bounds.triangle[static_cast<std::size_t>(row) * static_cast<std::size_t>(bounds.columns) + static_cast<std::size_t>(col)];
}

}  // namespace vellacor
