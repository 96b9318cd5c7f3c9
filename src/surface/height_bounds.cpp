#include "surface/height_bounds.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

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

// Where the line at height y crosses a convex region: [from, to], empty
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

    // Each triangle's elevations go into every cell its box reaches.
    for (int t = 0; t < tin.triangleCount(); ++t) {
        const PlanTin::Point &a = tin.corner(t, 0), &b = tin.corner(t, 1), &c = tin.corner(t, 2);
        double lo = std::min({a.z, b.z, c.z}), hi = std::max({a.z, b.z, c.z});
        if (std::isnan(a.z) || std::isnan(b.z) || std::isnan(c.z)) lo = -kInfinity, hi = kInfinity;
        const int c0 = std::max(bounds.columnOf(std::min({a.x, b.x, c.x})), 0);
        const int c1 = bounds.columnOf(std::max({a.x, b.x, c.x}));
        const int r0 = std::max(bounds.rowOf(std::min({a.y, b.y, c.y})), 0);
        const int r1 = bounds.rowOf(std::max({a.y, b.y, c.y}));
        for (int r = r0; r <= (r1 < 0 ? bounds.rows - 1 : r1); ++r)
            for (int col = c0; col <= (c1 < 0 ? bounds.columns - 1 : c1); ++col) {
                const std::size_t i = static_cast<std::size_t>(r) * static_cast<std::size_t>(bounds.columns) + static_cast<std::size_t>(col);
                HeightBounds::Range& range = bounds.range[i];
                range.low = std::min(range.low, lo);
                range.high = std::max(range.high, hi);
                bounds.triangle[i] = t;
            }
    }

    // A cell is inner when its box, grown by a margin far above the
    // rounding of the cell arithmetic, has all four corners inside the
    // region (which is convex): the region's span at a little below and a
    // little above each line between rows holds both ends of every cell.
    const std::vector<EdgeSegment> edge = edgeOf(tin);
    const double margin = 1e-9 * (std::max({std::abs(box.minX), std::abs(box.maxX), std::abs(box.minY), std::abs(box.maxY)}) +
                                  std::max(width, height));
    std::vector<Span> line(static_cast<std::size_t>(bounds.rows) + 1);
    for (int r = 0; r <= bounds.rows; ++r) {
        const double y = bounds.minY + r * bounds.cell;
        const Span below = spanAt(edge, y - margin), above = spanAt(edge, y + margin);
        line[static_cast<std::size_t>(r)] = {std::max(below.from, above.from) + margin, std::min(below.to, above.to) - margin};
    }
    for (int r = 0; r < bounds.rows; ++r) {
        const Span &lower = line[static_cast<std::size_t>(r)], &upper = line[static_cast<std::size_t>(r) + 1];
        const double from = std::max(lower.from, upper.from), to = std::min(lower.to, upper.to);
        for (int col = 0; col < bounds.columns; ++col) {
            const double x0 = bounds.minX + col * bounds.cell;
            if (!(x0 - margin > from && x0 + bounds.cell + margin < to))
                bounds.range[static_cast<std::size_t>(r) * static_cast<std::size_t>(bounds.columns) + static_cast<std::size_t>(col)] = {
                    -kInfinity, kInfinity};
        }
    }
    return bounds;
}

BoundedSide boundedSide(const HeightBounds& bounds, const PlanTin::Point& a, const PlanTin::Point& b, const PlanTin::Point& c) {
    if (bounds.columns == 0) return {};
    const int c0 = bounds.columnOf(std::min({a.x, b.x, c.x})), c1 = bounds.columnOf(std::max({a.x, b.x, c.x}));
    const int r0 = bounds.rowOf(std::min({a.y, b.y, c.y})), r1 = bounds.rowOf(std::max({a.y, b.y, c.y}));
    if (c0 < 0 || c1 < 0 || r0 < 0 || r1 < 0) return {};
    const double lo = std::min({a.z, b.z, c.z}), hi = std::max({a.z, b.z, c.z});
    if (std::isnan(a.z) || std::isnan(b.z) || std::isnan(c.z)) return {};
    double low = kInfinity, high = -kInfinity;
    for (int r = r0; r <= r1; ++r)
        for (int col = c0; col <= c1; ++col) {
            const HeightBounds::Range& range =
                bounds.range[static_cast<std::size_t>(r) * static_cast<std::size_t>(bounds.columns) + static_cast<std::size_t>(col)];
            low = std::min(low, range.low);
            high = std::max(high, range.high);
        }
    if (lo > high) return {BoundedSide::kAbove, hi - low};
    if (hi < low) return {BoundedSide::kBelow, high - lo};
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
