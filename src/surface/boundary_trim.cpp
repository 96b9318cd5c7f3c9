#include "surface/boundary_trim.h"

#include <algorithm>

#include "surface/predicates.h"
#include "surface/tin_geometry.h"
#include "surface/triangle_grid.h"

namespace vellacor {

PlanPolygonTest::PlanPolygonTest(const std::vector<Vec3>& corners) {
    const std::size_t n = corners.size();
    if (n < 3) return;
    minX_ = maxX_ = corners[0].x;
    minY_ = maxY_ = corners[0].y;
    for (std::size_t i = 0; i < n; ++i) {
        const Vec3 &a = corners[i], &b = corners[(i + 1) % n];
        minX_ = std::min(minX_, a.x), maxX_ = std::max(maxX_, a.x);
        minY_ = std::min(minY_, a.y), maxY_ = std::max(maxY_, a.y);
        edges_.push_back({a.x, a.y, b.x, b.y});
    }
    const int bands = static_cast<int>(std::max<std::size_t>(1, edges_.size()));
    bandHeight_ = (maxY_ - minY_) / bands;
    if (!(bandHeight_ > 0)) bandHeight_ = 1;
    bandStart_.assign(static_cast<std::size_t>(bands) + 1, 0);
    auto forBands = [&](const Edge& e, auto&& visit) {
        const int b0 = bandOf(std::min(e.y0, e.y1), bands), b1 = bandOf(std::max(e.y0, e.y1), bands);
        for (int b = b0; b <= b1; ++b) visit(b);
    };
    for (const Edge& e : edges_) forBands(e, [&](int b) { ++bandStart_[static_cast<std::size_t>(b) + 1]; });
    for (int b = 0; b < bands; ++b)
        bandStart_[static_cast<std::size_t>(b) + 1] += bandStart_[static_cast<std::size_t>(b)];
    bandEdges_.resize(static_cast<std::size_t>(bandStart_.back()));
    std::vector<int> fill(bandStart_.begin(), bandStart_.end() - 1);
    for (std::size_t i = 0; i < edges_.size(); ++i)
        forBands(edges_[i], [&](int b) {
            bandEdges_[static_cast<std::size_t>(fill[static_cast<std::size_t>(b)]++)] = static_cast<int>(i);
        });
}

// The band holding northing y, the ends clamped to the first and last, as
// the triangle grid finds its rows.
int PlanPolygonTest::bandOf(double y, int bands) const { return gridCellOf(y, minY_, bandHeight_, bands); }

bool PlanPolygonTest::onSegment(const Edge& e, double x, double y) {
    return orient2d(e.x0, e.y0, e.x1, e.y1, x, y) == 0.0 && x >= std::min(e.x0, e.x1) && x <= std::max(e.x0, e.x1) &&
           y >= std::min(e.y0, e.y1) && y <= std::max(e.y0, e.y1);
}

bool PlanPolygonTest::contains(double x, double y) const {
    if (edges_.empty() || x < minX_ || x > maxX_ || y < minY_ || y > maxY_) return false;
    const int bands = static_cast<int>(bandStart_.size()) - 1;
    const int b = bandOf(y, bands);
    bool inside = false;
    for (int i = bandStart_[static_cast<std::size_t>(b)]; i < bandStart_[static_cast<std::size_t>(b) + 1]; ++i) {
        const Edge& e = edges_[static_cast<std::size_t>(bandEdges_[static_cast<std::size_t>(i)])];
        if (onSegment(e, x, y)) return true;  // a tie: on the boundary is inside
        // Half-open in y, so a ray through a corner counts one of its two
        // edges, and a level edge none.
        if ((e.y0 > y) == (e.y1 > y)) continue;
        const double crossX = e.x0 + (y - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0);
        if (x < crossX) inside = !inside;
    }
    return inside;
}

namespace {

bool edgeOpen(const std::vector<std::int32_t>& links, const std::vector<std::uint8_t>& kept, int t, int k) {
    const std::int32_t n = links[3 * static_cast<std::size_t>(t) + static_cast<std::size_t>(k)];
    return n < 0 || static_cast<std::size_t>(n) >= kept.size() || !kept[static_cast<std::size_t>(n)];
}

}  // namespace

void peelLongEdges(const SurfaceView& surface, const std::vector<std::int32_t>& links, double maxEdge,
                   std::vector<std::uint8_t>& kept) {
    const int count = surface.triangleCount;
    // How many open edges of kept triangles meet at each point: 0 for a point
    // inside the kept surface.
    std::vector<int> openEdgesAt(static_cast<std::size_t>(std::max(surface.pointCount, 0)), 0);
    auto touch = [&](int v, int by) {
        if (v >= 0 && v < surface.pointCount) openEdgesAt[static_cast<std::size_t>(v)] += by;
    };
    std::vector<int> pending;
    for (int t = 0; t < count; ++t) {
        if (!kept[static_cast<std::size_t>(t)]) continue;
        const TinTriangle& tri = surface.triangle(t);
        bool open = false;
        for (int k = 0; k < 3; ++k)
            if (edgeOpen(links, kept, t, k)) {
                touch(tri.vertex[k], 1), touch(tri.vertex[(k + 1) % 3], 1);
                open = true;
            }
        if (open) pending.push_back(t);
    }
    const double longest2 = maxEdge * maxEdge;
    while (!pending.empty()) {
        const int t = pending.back();
        pending.pop_back();
        if (!kept[static_cast<std::size_t>(t)]) continue;
        int openEdge = -1, opens = 0;
        for (int k = 0; k < 3; ++k)
            if (edgeOpen(links, kept, t, k)) ++opens, openEdge = k;
        if (opens != 1) continue;  // two open edges: their shared corner would lose its last triangle
        const TinTriangle& tri = surface.triangle(t);
        const int a = tri.vertex[openEdge], b = tri.vertex[(openEdge + 1) % 3], v = tri.vertex[(openEdge + 2) % 3];
        if (a < 0 || b < 0 || v < 0 || a >= surface.pointCount || b >= surface.pointCount || v >= surface.pointCount)
            continue;
        const SurveyPoint &pa = surface.point(a), &pb = surface.point(b);
        const double dx = pb.easting - pa.easting, dy = pb.northing - pa.northing;
        if (!(dx * dx + dy * dy > longest2) || openEdgesAt[static_cast<std::size_t>(v)] != 0) continue;
        kept[static_cast<std::size_t>(t)] = 0;
        openEdgesAt[static_cast<std::size_t>(v)] += 2;  // a and b keep one open edge each
        for (int k = 1; k <= 2; ++k) {
            const std::int32_t n =
                links[3 * static_cast<std::size_t>(t) + static_cast<std::size_t>((openEdge + k) % 3)];
            if (n >= 0 && n < count) pending.push_back(n);
        }
    }
}

std::vector<std::uint8_t> trianglesKeptByBoundaries(const SurfaceView& surface, const std::vector<std::int32_t>& links,
                                                    const SurfaceBoundaries& boundaries) {
    std::vector<PlanPolygonTest> outer, hide;
    for (const SurfaceBoundary& b : boundaries.polygons)
        (b.kind == BoundaryKind::Outer ? outer : hide).emplace_back(b.corners);
    std::vector<std::uint8_t> kept(static_cast<std::size_t>(surface.triangleCount), 1);
    for (int t = 0; t < surface.triangleCount; ++t) {
        const Vec3 c = centroidOf(surface, t);
        auto holds = [&](const PlanPolygonTest& p) { return p.contains(c.x, c.y); };
        const bool inOuter = outer.empty() || std::any_of(outer.begin(), outer.end(), holds);
        kept[static_cast<std::size_t>(t)] = inOuter && std::none_of(hide.begin(), hide.end(), holds);
    }
    if (boundaries.maxEdgeLength > 0.0) peelLongEdges(surface, links, boundaries.maxEdgeLength, kept);
    return kept;
}

std::vector<TinTriangle> keepTriangles(const SurfaceView& surface, const std::vector<std::int32_t>& links,
                                       const std::vector<std::uint8_t>& kept) {
    std::vector<std::int32_t> renumbered(static_cast<std::size_t>(surface.triangleCount), kNoTriangle);
    std::int32_t next = 0;
    for (int t = 0; t < surface.triangleCount; ++t)
        if (kept[static_cast<std::size_t>(t)]) renumbered[static_cast<std::size_t>(t)] = next++;
    std::vector<TinTriangle> out;
    out.reserve(static_cast<std::size_t>(next));
    for (int t = 0; t < surface.triangleCount; ++t) {
        if (!kept[static_cast<std::size_t>(t)]) continue;
        TinTriangle tri = surface.triangle(t);
        for (int k = 0; k < 3; ++k) {
            const std::int32_t n = links[3 * static_cast<std::size_t>(t) + static_cast<std::size_t>(k)];
            tri.neighbour[k] =
                n >= 0 && n < surface.triangleCount ? renumbered[static_cast<std::size_t>(n)] : kNoTriangle;
        }
        out.push_back(tri);
    }
    return out;
}

}  // namespace vellacor
