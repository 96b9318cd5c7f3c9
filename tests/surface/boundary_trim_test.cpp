// Boundaries and the long-edge trim cut the triangulated surface; these
// count what must stay from the grid itself, not from the trimmed surface.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "surface/boundary_trim.h"
#include "surface/contour_export.h"
#include "surface/tin_geometry.h"
#include "support/surface_edges.h"
#include "surface_support.h"

namespace vellacor {
namespace {

using testing::Xyz;

// An L of grid points one unit apart: the square 0..20 without the corner
// square x > 10, y > 10 (the bay). `height` gives each point's elevation.
template <typename Height>
std::vector<Xyz> lShapedGrid(Height height) {
    std::vector<Xyz> points;
    for (int y = 0; y <= 20; ++y)
        for (int x = 0; x <= 20; ++x)
            if (x <= 10 || y <= 10) points.push_back({double(x), double(y), height(x, y)});
    return points;
}

std::vector<std::pair<const SurveyPoint*, const SurveyPoint*>> openEdges(const SiteDocument& d) {
    std::vector<std::pair<const SurveyPoint*, const SurveyPoint*>> edges;
    for (int t = 0; t < d.triangleCount; ++t) {
        const TinTriangle& tri = d.triangles[static_cast<std::size_t>(t)];
        for (int k = 0; k < 3; ++k)
            if (tri.neighbour[k] == kNoTriangle)
                edges.push_back({&pointAt(d, tri.vertex[k]), &pointAt(d, tri.vertex[(k + 1) % 3])});
    }
    return edges;
}

double planLength(const SurveyPoint& a, const SurveyPoint& b) {
    return std::hypot(b.easting - a.easting, b.northing - a.northing);
}

// Each point a corner of some triangle, and each link given back by the triangle it names.
void expectNoPointLostAndLinksMutual(const SiteDocument& d) {
    std::vector<int> corners(static_cast<std::size_t>(d.pointCount), 0);
    for (int t = 0; t < d.triangleCount; ++t)
        for (const int v : d.triangles[static_cast<std::size_t>(t)].vertex) ++corners[static_cast<std::size_t>(v)];
    for (int p = 0; p < d.pointCount; ++p) EXPECT_GT(corners[static_cast<std::size_t>(p)], 0) << "point " << p << " lost";
    testing::expectSymmetricLinks(d);
}

SurfaceBoundary rectangle(BoundaryKind kind, double x0, double y0, double x1, double y1) {
    return {kind, {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}}};
}

TEST(BoundaryTrim, LongEdgesPeelOffAnLShapedSurveyAndNoPointIsLost) {
    // Up to the unit edges (not longer than 1: kept) the bay goes whole; with
    // longer limits the corner keeps the triangles whose edges are short enough.
    for (const double longest : {1.0, 1.2, 1.5, 3.0, 7.5}) {
        testing::SurfaceSite site;
        testing::loadPoints(site, lShapedGrid([](int x, int y) { return 10.0 + 0.1 * x + 0.05 * y; }));
        site.document.boundaries.maxEdgeLength = longest;
        testing::buildSurface(site);
        const SiteDocument& d = site.document;

        if (longest < std::sqrt(2.0)) {
            // The L's 300 unit cells, two triangles each; nothing over the bay.
            EXPECT_EQ(d.triangleCount, 600) << longest;
            for (int t = 0; t < d.triangleCount; ++t) {
                const Vec3 c = centroidOf(surfaceOf(d), t);
                EXPECT_FALSE(c.x > 10 && c.y > 10) << "a triangle over the bay at " << c.x << "," << c.y;
            }
        }
        for (const auto& [a, b] : openEdges(d)) EXPECT_LE(planLength(*a, *b), longest);
        expectNoPointLostAndLinksMutual(d);  // the links are those of the smaller surface
    }
}

TEST(BoundaryTrim, ABlunderFarOffKeepsATriangleAndTheRestIsPeeled) {
    // An L with one point surveyed 60 units off: the long triangles to it
    // peel off until the last that holds it; every other hull edge is short.
    std::vector<Xyz> points = lShapedGrid([](int x, int y) { return 10.0 + 0.1 * x + 0.05 * y; });
    points.push_back({60, 60, 500});
    testing::SurfaceSite site;
    testing::loadPoints(site, points);
    site.document.boundaries.maxEdgeLength = 1.2;
    testing::buildSurface(site);
    const SiteDocument& d = site.document;
    const int blunder = d.pointCount - 1;
    expectNoPointLostAndLinksMutual(d);
    int blunderTriangles = 0;
    for (int t = 0; t < d.triangleCount; ++t)
        for (const int v : d.triangles[static_cast<std::size_t>(t)].vertex) blunderTriangles += v == blunder;
    EXPECT_EQ(blunderTriangles, 1);
    for (const auto& [a, b] : openEdges(d))
        if (a != &pointAt(d, blunder) && b != &pointAt(d, blunder)) {
            EXPECT_LE(planLength(*a, *b), 1.2);
        }
}

TEST(BoundaryTrim, PeelingStopsWhereItWouldStrandAPoint) {
    // A long thin sliver along the hull: its third corner lies on the edge
    // already, so it stays though its hull edge is longer than the limit.
    testing::SurfaceSite site;
    testing::loadPoints(site, {{0, 0, 1}, {10, 0, 1}, {5, 1, 1}});
    site.document.boundaries.maxEdgeLength = 2.0;
    testing::buildSurface(site);
    EXPECT_EQ(site.document.triangleCount, 1);
}

TEST(BoundaryTrim, OuterAndHideBoundariesAlongGridRowsKeepWholeCells) {
    // A 10 x 10 grid; the outer boundary runs along rows and columns through
    // points, the hole likewise, so every triangle is wholly in or out.
    testing::SurfaceSite site;
    testing::loadPoints(site, testing::gridPoints(11, 11, 1.0));
    SurfaceBoundaries& b = site.document.boundaries;
    b.polygons = {rectangle(BoundaryKind::Outer, 1, 1, 9, 8), rectangle(BoundaryKind::Hide, 3, 3, 6, 5)};
    testing::buildSurface(site);
    const SiteDocument& d = site.document;

    const auto kept = [](int x, int y) { return x >= 1 && x < 9 && y >= 1 && y < 8 && !(x >= 3 && x < 6 && y >= 3 && y < 5); };
    int cellsKept = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) cellsKept += kept(x, y);
    EXPECT_EQ(d.triangleCount, 2 * cellsKept);
    std::map<std::pair<int, int>, int> perCell;
    for (int t = 0; t < d.triangleCount; ++t) {
        const TinTriangle& tri = d.triangles[static_cast<std::size_t>(t)];
        double minX = 1e9, minY = 1e9;
        for (const int v : tri.vertex) {
            minX = std::min(minX, pointAt(d, v).easting);
            minY = std::min(minY, pointAt(d, v).northing);
        }
        ++perCell[{int(minX), int(minY)}];
    }
    for (const auto& [cell, count] : perCell) {
        EXPECT_EQ(count, 2) << cell.first << "," << cell.second;
        EXPECT_TRUE(kept(cell.first, cell.second)) << cell.first << "," << cell.second;
    }
    // Points outside the outer boundary stay points, without a triangle.
    EXPECT_EQ(d.pointCount, 121);
}

TEST(BoundaryTrim, ADiagonalThroughGridPointsKeepsATriangleByItsCentroid) {
    // The boundary y <= x runs through the grid's corners and across the
    // cells whose diagonal goes the other way, through both their triangles'
    // centroids: a centroid on the boundary counts as inside, so no cell is
    // left half empty. Counted on the whole surface with a plain comparison.
    testing::SurfaceSite whole, cut;
    testing::loadPoints(whole, testing::gridPoints(9, 9, 1.0));
    testing::loadPoints(cut, testing::gridPoints(9, 9, 1.0));
    testing::buildSurface(whole);
    cut.document.boundaries.polygons = {{BoundaryKind::Outer, {{0, 0, 0}, {8, 0, 0}, {8, 8, 0}}}};
    testing::buildSurface(cut);
    int below = 0, on = 0;
    for (int t = 0; t < whole.document.triangleCount; ++t) {
        const Vec3 c = centroidOf(surfaceOf(whole.document), t);
        below += c.y < c.x;
        on += c.y == c.x;
    }
    EXPECT_GT(on, 0);  // the grid has cells the boundary crosses
    EXPECT_EQ(cut.document.triangleCount, below + on);
    for (int t = 0; t < cut.document.triangleCount; ++t) {
        const Vec3 c = centroidOf(surfaceOf(cut.document), t);
        EXPECT_LE(c.y, c.x);
    }
}

TEST(BoundaryTrim, NoContourRunsInsideAHole) {
    // A cone: contours are rings round its apex; the hole covers the apex.
    testing::SurfaceSite site;
    std::vector<Xyz> points;
    for (const Xyz& p : testing::gridPoints(21, 21, 1.0))
        points.push_back({p.x, p.y, 20.0 - std::hypot(p.x - 10, p.y - 10)});
    testing::loadPoints(site, points);
    site.document.boundaries.polygons = {rectangle(BoundaryKind::Hide, 6, 6, 14, 14)};
    testing::buildSurface(site);
    site.document.contours.contourInterval = 1.0;
    const std::vector<ExportPolyline> contours = traceContoursForExport(site.document);
    ASSERT_FALSE(contours.empty());
    int atEdge = 0;
    for (const ExportPolyline& line : contours)
        for (const Vec3& p : line.points) {
            EXPECT_FALSE(p.x > 6 + 1e-9 && p.x < 14 - 1e-9 && p.y > 6 + 1e-9 && p.y < 14 - 1e-9)
                << "contour " << line.level << " at " << p.x << "," << p.y;
            atEdge += std::abs(p.x - 6) < 1e-9 || std::abs(p.x - 14) < 1e-9;
        }
    EXPECT_GT(atEdge, 0);  // contours that met the hole end at its edge
}

TEST(BoundaryTrim, PointsAreFoundAcrossAHoleAndNotInIt) {
    // Walks from every triangle towards points beyond the hole, in it and
    // off the survey; the walk stops at the hole's edge and the search goes on.
    testing::SurfaceSite site;
    testing::loadPoints(site, testing::gridPoints(11, 11, 1.0));
    site.document.boundaries.polygons = {rectangle(BoundaryKind::Hide, 2, 2, 8, 8)};
    testing::buildSurface(site);
    const SurfaceView s = testing::linkedSurfaceOf(site);
    for (int start = 0; start < s.triangleCount; start += 7) {
        const int beyond = locateTriangle(s, start, 9.25, 9.5);
        ASSERT_NE(beyond, kNoTriangle) << start;
        EXPECT_TRUE(triangleContains(s, beyond, 9.25, 9.5));
        EXPECT_EQ(locateTriangle(s, start, 5.1, 4.9), kNoTriangle);
        EXPECT_EQ(locateTriangle(s, start, 12, 5), kNoTriangle);
    }
}

TEST(BoundaryTrim, PolygonTestCountsCornersOnceAndSkipsLevelEdges) {
    // A polygon with level edges and a corner at the ray's height.
    const PlanPolygonTest p({{0, 0, 0}, {4, 0, 0}, {4, 2, 0}, {2, 2, 0}, {2, 4, 0}, {0, 4, 0}});
    EXPECT_TRUE(p.contains(1, 1));
    EXPECT_TRUE(p.contains(1, 2));  // level with the inner corner
    EXPECT_TRUE(p.contains(3, 1));
    EXPECT_FALSE(p.contains(3, 3));  // the notch
    EXPECT_FALSE(p.contains(5, 1));
    EXPECT_FALSE(PlanPolygonTest({{0, 0, 0}, {1, 1, 0}}).contains(0.5, 0.5));  // not a polygon
}

}  // namespace
}  // namespace vellacor
