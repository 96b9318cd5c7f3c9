#include "surface/plan_tin.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "surface/predicates.h"

namespace vellacor {

namespace {

// numberOf[i] for every position i, given the positions' keys (each below
// keyCount): a counting sort, stable.
std::vector<std::int32_t> numberByKey(const std::vector<std::uint32_t>& keyOfPosition, std::size_t keyCount) {
    std::vector<std::int32_t> start(keyCount + 1, 0);
    for (const std::uint32_t k : keyOfPosition) ++start[k + 1];
    for (std::size_t k = 0; k + 1 < start.size(); ++k) start[k + 1] += start[k];
    std::vector<std::int32_t> numberOf;
    numberOf.reserve(keyOfPosition.size());
    numberOf.resize(keyOfPosition.size());
    for (std::size_t i = 0; i < keyOfPosition.size(); ++i) numberOf[i] = start[keyOfPosition[i]]++;
    return numberOf;
}

// Numbers plan positions in strip order: cells of about `perCell` positions,
// strips of eight rows of cells, each strip taken column by column. A
// counting sort: O(positions + cells). Positions that are not finite go first.
class StripOrder {
public:
    StripOrder(double minX, double minY, double maxX, double maxY, std::size_t count, double perCell) {
        if (!(minX <= maxX && minY <= maxY)) minX = maxX = minY = maxY = 0;
        minX_ = minX, minY_ = minY;
        const double width = std::max(maxX - minX, 1e-300), height = std::max(maxY - minY, 1e-300);
        cell_ = std::max(std::sqrt(width * height * perCell / static_cast<double>(std::max<std::size_t>(count, 1))),
                         std::max(width, height) / 4096.0);
        columns_ = std::clamp(static_cast<int>(width / cell_) + 1, 1, 4097);
        rows_ = std::clamp(static_cast<int>(height / cell_) + 1, 1, 4097);
    }

    std::size_t keys() const {
        return static_cast<std::size_t>((rows_ + kStripRows - 1) / kStripRows) * static_cast<std::size_t>(columns_ * kStripRows);
    }

    std::size_t keyOf(double x, double y) const {
        const double fx = (x - minX_) / cell_, fy = (y - minY_) / cell_;
        const int c = fx > 0 ? std::min(static_cast<int>(std::min(fx, 4096.0)), columns_ - 1) : 0;
        const int r = fy > 0 ? std::min(static_cast<int>(std::min(fy, 4096.0)), rows_ - 1) : 0;
        return static_cast<std::size_t>(r / kStripRows) * static_cast<std::size_t>(columns_ * kStripRows) +
               static_cast<std::size_t>(c * kStripRows + r % kStripRows);
    }

    std::vector<std::int32_t> number(const std::vector<std::uint32_t>& keyOfPosition) const {
        return numberByKey(keyOfPosition, keys());
    }

private:
    static constexpr int kStripRows = 8;
    double minX_ = 0, minY_ = 0, cell_ = 1;
    int columns_ = 1, rows_ = 1;
};

void add(PlanTin::Box& box, double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    box.minX = std::min(box.minX, x), box.maxX = std::max(box.maxX, x);
    box.minY = std::min(box.minY, y), box.maxY = std::max(box.maxY, y);
}

// Most neighbours of a triangle lie within this many places of it in the
// surface's own order when that order follows the plan (a triangulation
// built along a space-filling curve); in a random order almost none do.
constexpr std::ptrdiff_t kNearInOrder = 1 << 14;

// Whether the surface's triangles already come in an order that keeps
// neighbours close in memory: judged from a sample of their links.
bool trianglesFollowPlan(const SurfaceView& surface) {
    const std::ptrdiff_t n = surface.triangleCount;
    if (n <= kNearInOrder) return true;  // all of it fits in the cache
    std::ptrdiff_t links = 0, near = 0;
    for (std::ptrdiff_t t = 0; t < n; t += 61)
        for (const std::int32_t across : surface.triangle(static_cast<int>(t)).neighbour) {
            if (across < 0) continue;
            ++links;
            if (std::abs(across - t) <= kNearInOrder) ++near;
        }
    return links > 0 && near * 20 >= links * 19;
}

// The triangles' corners (still the surface's point numbers) and
// neighbours, in the surface's order; which points they use.
std::vector<std::uint8_t> copyTriangles(const SurfaceView& surface, PlanTin& tin) {
    const std::size_t n = static_cast<std::size_t>(std::max(surface.triangleCount, 0));
    std::vector<std::uint8_t> used(surface.points.size(), 0);
    tin.corners.resize(n);
    tin.neighbours.resize(n);
    for (std::size_t t = 0; t < n; ++t) {
        const TinTriangle& triangle = surface.triangle(static_cast<int>(t));
        for (std::size_t k = 0; k < 3; ++k) {
            const std::int32_t v = triangle.vertex[k];
            tin.corners[t][k] = v;
            used[static_cast<std::size_t>(v)] = 1;
            const std::int32_t across = triangle.neighbour[k];
            tin.neighbours[t][k] = across >= 0 && across < surface.triangleCount ? across : -1;
        }
    }
    return used;
}

// The points in strip order, and the corners renumbered to match. The box
// is that of the triangles' corners: a surface may keep points that no
// triangle uses (the frame it was built in, far out), and cells laid over
// those would put every corner in one cell and no order on them.
void orderPoints(const SurfaceView& surface, const std::vector<std::uint8_t>& used, PlanTin& tin) {
    const std::size_t pointCount = surface.points.size();
    for (std::size_t i = 0; i < pointCount; ++i)
        if (used[i]) add(tin.box, surface.points[i].easting, surface.points[i].northing);
    const StripOrder order(tin.box.minX, tin.box.minY, tin.box.maxX, tin.box.maxY, pointCount, 1.0);
    std::vector<std::uint32_t> keys;
    keys.resize(pointCount);
    for (std::size_t i = 0; i < pointCount; ++i)
        keys[i] = static_cast<std::uint32_t>(order.keyOf(surface.points[i].easting, surface.points[i].northing));
    const std::vector<std::int32_t> number = order.number(keys);
    tin.points.resize(pointCount);
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < pointCount; ++i) {
        if (i + kAhead < pointCount) __builtin_prefetch(&tin.points[static_cast<std::size_t>(number[i + kAhead])], 1);
        const SurveyPoint& p = surface.points[i];
        tin.points[static_cast<std::size_t>(number[i])] = {p.easting, p.northing, p.elevation};
    }
    for (std::array<std::int32_t, 3>& c : tin.corners)
        for (std::int32_t& v : c) v = number[static_cast<std::size_t>(v)];
}

// Triangles in the order of their first corner in plan order: those round
// one point come together. For surfaces whose own order is not a plan order
// (a file's triangles in any order).
void sortTrianglesByPlan(PlanTin& tin) {
    const std::size_t n = tin.corners.size();
    std::vector<std::uint32_t> keys;
    keys.resize(n);
    for (std::size_t t = 0; t < n; ++t)
        keys[t] = static_cast<std::uint32_t>(std::min({tin.corners[t][0], tin.corners[t][1], tin.corners[t][2]}));
    const std::vector<std::int32_t> number = numberByKey(keys, tin.points.size());
    std::vector<std::array<std::int32_t, 3>> corners, neighbours;
    corners.resize(n);
    neighbours.resize(n);
    // Each triangle's copy lands far from the last: ask for the memory a few
    // triangles ahead, so the misses overlap instead of coming one by one.
    constexpr std::size_t kAhead = 8;
    for (std::size_t t = 0; t < n; ++t) {
        if (t + kAhead < n) {
            const std::size_t ahead = static_cast<std::size_t>(number[t + kAhead]);
            __builtin_prefetch(&corners[ahead], 1);
            __builtin_prefetch(&neighbours[ahead], 1);
            for (const std::int32_t across : tin.neighbours[t + kAhead])
                if (across >= 0) __builtin_prefetch(&number[static_cast<std::size_t>(across)]);
        }
        const std::size_t i = static_cast<std::size_t>(number[t]);
        corners[i] = tin.corners[t];
        for (std::size_t k = 0; k < 3; ++k) {
            const std::int32_t across = tin.neighbours[t][k];
            neighbours[i][k] = across >= 0 ? number[static_cast<std::size_t>(across)] : -1;
        }
    }
    tin.corners.swap(corners);
    tin.neighbours.swap(neighbours);
}

void orientCounterClockwise(PlanTin& tin) {
    tin.hasArea.resize(tin.corners.size());
    for (std::size_t i = 0; i < tin.corners.size(); ++i) {
        std::array<std::int32_t, 3>& c = tin.corners[i];
        const PlanTin::Point &a = tin.points[static_cast<std::size_t>(c[0])], &b = tin.points[static_cast<std::size_t>(c[1])],
                             &d = tin.points[static_cast<std::size_t>(c[2])];
        const double turn = orient2d(a.x, a.y, b.x, b.y, d.x, d.y);
        // A file's triangles may run clockwise: the walk takes them the other
        // way round, corners and neighbours together (neighbour k lies across
        // the edge from corner k to corner k + 1).
        if (turn < 0) {
            std::swap(c[1], c[2]);
            std::swap(tin.neighbours[i][0], tin.neighbours[i][2]);
        }
        tin.hasArea[i] = turn != 0.0;
    }
}

}  // namespace

// Points are always put in plan order; triangles only when the surface's
// own order does not already keep neighbours together (the triangulation
// builds along a space-filling curve), as moving two million triangles
// costs more than the walks gain from it.
PlanTin planTinOf(const SurfaceView& surface) {
    PlanTin tin;
    orderPoints(surface, copyTriangles(surface, tin), tin);
    if (!trianglesFollowPlan(surface)) sortTrianglesByPlan(tin);
    orientCounterClockwise(tin);
    return tin;
}

bool coversConvexRegion(const PlanTin& tin) {
    std::vector<std::int32_t> next(tin.points.size(), -1);
    std::size_t edges = 0;
    std::int32_t start = -1;
    for (int t = 0; t < tin.triangleCount(); ++t) {
        if (!tin.hasArea[static_cast<std::size_t>(t)]) return false;
        for (std::size_t k = 0; k < 3; ++k) {
            if (tin.neighbours[static_cast<std::size_t>(t)][k] >= 0) continue;
            const std::int32_t a = tin.corners[static_cast<std::size_t>(t)][k];
            std::int32_t& after = next[static_cast<std::size_t>(a)];
            if (after >= 0) return false;  // two edges leave one corner: not one simple loop
            after = tin.corners[static_cast<std::size_t>(t)][(k + 1) % 3];
            start = a;
            ++edges;
        }
    }
    if (edges < 3) return false;
    std::size_t walked = 0;
    std::int32_t a = start, b = next[static_cast<std::size_t>(start)];
    do {
        const std::int32_t c = next[static_cast<std::size_t>(b)];
        if (c < 0 || ++walked > edges) return false;
        const PlanTin::Point &p = tin.points[static_cast<std::size_t>(a)], &q = tin.points[static_cast<std::size_t>(b)],
                     &r = tin.points[static_cast<std::size_t>(c)];
        if (orient2d(p.x, p.y, q.x, q.y, r.x, r.y) < 0) return false;
        a = b, b = c;
    } while (a != start);
    return walked == edges;
}

}  // namespace vellacor
