#pragma once
#include <cstdint>
#include <vector>

#include "model/surface_boundaries.h"
#include "model/surface_view.h"

namespace vellacor {

// Whether plan positions lie inside one polygon (even-odd rule; a position
// exactly on an edge is inside, tested exactly), the
// polygon's edges sorted into horizontal bands so that a test looks only at
// the edges of its band. Building: O(corners + band entries).
class PlanPolygonTest {
public:
    explicit PlanPolygonTest(const std::vector<Vec3>& corners);
    bool contains(double x, double y) const;

private:
    struct Edge {
        double x0, y0, x1, y1;
    };
    static bool onSegment(const Edge& e, double x, double y);
    int bandOf(double y, int bands) const;
    std::vector<Edge> edges_;
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0, bandHeight_ = 1;
    std::vector<int> bandStart_;  // band b holds bandEdges_[bandStart_[b] .. bandStart_[b + 1])
    std::vector<int> bandEdges_;
};

// The triangles the boundaries keep: 1 for a triangle whose centroid lies
// inside (or on) an outer boundary, or there is none, and inside (or on) no
// hide boundary,
// then, with a longest edge, the peeling of long edges off the surface's
// edge (see peelLongEdges). `links` are the neighbour links, three a triangle.
// Time: the triangles times the band edges a centroid meets, plus the peel.
std::vector<std::uint8_t> trianglesKeptByBoundaries(const SurfaceView& surface, const std::vector<std::int32_t>& links,
                                                    const SurfaceBoundaries& boundaries);

// Takes away, again and again, a kept triangle with one edge on the edge of
// the kept surface (no kept neighbour across it) longer than `maxEdge` in
// plan, while its third corner lies inside the kept surface: the surface
// shrinks as a concave hull and every corner of a kept triangle stays one.
// O(triangles): each triangle is looked at when it or a neighbour changes.
void peelLongEdges(const SurfaceView& surface, const std::vector<std::int32_t>& links, double maxEdge,
                   std::vector<std::uint8_t>& kept);

// The kept triangles, in their order, their neighbour links renumbered (a
// neighbour that went becomes kNoTriangle).
std::vector<TinTriangle> keepTriangles(const SurfaceView& surface, const std::vector<std::int32_t>& links,
                                       const std::vector<std::uint8_t>& kept);

}  // namespace vellacor
