// Forcing a segment between two survey points into the surface.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "support/temp_files.h"
#include "support/surface_edges.h"
#include "surface/breakline_enforce.h"
#include "surface/predicates.h"
#include "surface_support.h"

namespace vellacor::testing {
namespace {

struct Check {
    double area = 0.0;
    std::set<int> vertices;
};

// Every triangle counter-clockwise, no directed edge twice (so no two
// triangles overlap along an edge), and the total area with the vertices used.
Check checkSurface(const SiteDocument& d) {
    Check c;
    std::set<std::pair<int, int>> directed;
    for (int t = 0; t < d.triangleCount; ++t) {
        const TinTriangle& tri = d.triangles[static_cast<std::size_t>(t)];
        const SurveyPoint* p[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = &d.points[static_cast<std::size_t>(tri.vertex[k])];
            c.vertices.insert(tri.vertex[k]);
            EXPECT_TRUE(directed.emplace(tri.vertex[k], tri.vertex[(k + 1) % 3]).second) << "edge used twice";
        }
        const double o = orient2d(p[0]->easting, p[0]->northing, p[1]->easting, p[1]->northing, p[2]->easting,
                                  p[2]->northing);
        EXPECT_GT(o, 0.0) << "triangle " << t << " not counter-clockwise";
        c.area += 0.5 * o;
    }
    return c;
}

bool enforce(SiteDocument& d, int a, int b) {
    return enforceBreakline(d.points, d.pointCount, d.triangles, d.triangleCount, a, b);
}

void expectSameSurfaceAs(const SiteDocument& d, const Check& before) {
    const Check after = checkSurface(d);
    EXPECT_NEAR(after.area, before.area, 1e-9 * before.area);
    EXPECT_EQ(after.vertices, before.vertices);
}

TEST(EnforceBreakline, RandomSegmentsBecomeEdgesOfAValidSurface) {
    SurfaceSite model;
    loadPoints(model, randomPoints(600, 7));
    buildSurface(model);
    SiteDocument& d = model.document;
    const Check before = checkSurface(d);
    const int triangles = d.triangleCount;
    std::mt19937 random(3);
    std::uniform_int_distribution<int> pick(0, d.pointCount - 1);
    // One enforcer for all: each walk runs on the links the ones before mended.
    BreaklineEnforcer enforcer;
    int changed = 0;
    for (int i = 0; i < 60; ++i) {
        const int a = pick(random), b = pick(random);
        if (a == b) continue;
        changed += enforcer.enforce(d.points, d.pointCount, d.triangles, d.triangleCount, a, b) ? 1 : 0;
        EXPECT_TRUE(hasEdge(d, a, b)) << a << "-" << b;
        EXPECT_EQ(d.triangleCount, triangles);
        expectSameSurfaceAs(d, before);
    }
    EXPECT_GT(changed, 40);
}

// Away from the forced edge the surface stays Delaunay: the vertex across
// every other edge lies outside the circle of the triangle on its near side.
TEST(EnforceBreakline, OtherEdgesStayLocallyDelaunay) {
    SurfaceSite model;
    loadPoints(model, randomPoints(500, 21));
    buildSurface(model);
    SiteDocument& d = model.document;
    const int a = 17, b = 401;
    ASSERT_TRUE(enforce(d, a, b));
    std::map<std::pair<int, int>, int> across;  // directed edge -> the triangle's third vertex
    for (int t = 0; t < d.triangleCount; ++t) {
        const auto& v = d.triangles[static_cast<std::size_t>(t)].vertex;
        for (int k = 0; k < 3; ++k) across[{v[k], v[(k + 1) % 3]}] = v[(k + 2) % 3];
    }
    auto xy = [&](int i) { return d.points[static_cast<std::size_t>(i)]; };
    for (const auto& [edge, r] : across) {
        const auto [p, q] = edge;
        if ((p == a && q == b) || (p == b && q == a)) continue;
        const auto other = across.find({q, p});
        if (other == across.end()) continue;
        const SurveyPoint &pp = xy(p), &pq = xy(q), &pr = xy(r), &ps = xy(other->second);
        EXPECT_LE(incircle(pp.easting, pp.northing, pq.easting, pq.northing, pr.easting, pr.northing, ps.easting,
                           ps.northing),
                  0.0)
            << p << "-" << q;
    }
}

TEST(EnforceBreakline, ExistingEdgeAndUnusableEndsLeaveTheSurfaceAlone) {
    SurfaceSite model;
    std::vector<Xyz> points = randomPoints(200, 9);
    points[5].z = -99999.0;  // not a valid elevation: not used in the surface
    loadPoints(model, points);
    buildSurface(model);
    SiteDocument& d = model.document;
    const TinTriangle first = d.triangles[0];
    const std::vector<TinTriangle> copy = d.triangles;
    auto unchanged = [&] {
        ASSERT_EQ(d.triangleCount, static_cast<int>(copy.size()));
        for (std::size_t t = 0; t < copy.size(); ++t)
            for (int k = 0; k < 3; ++k) ASSERT_EQ(d.triangles[t].vertex[k], copy[t].vertex[k]);
    };
    EXPECT_FALSE(enforce(d, first.vertex[0], first.vertex[1]));
    unchanged();
    ASSERT_FALSE(d.points[5].useInSurface);
    EXPECT_FALSE(enforce(d, 5, first.vertex[0] == 5 ? first.vertex[1] : first.vertex[0]));
    EXPECT_FALSE(enforce(d, 3, 3));
    EXPECT_FALSE(enforce(d, 3, d.pointCount));
    unchanged();
}

TEST(EnforceBreakline, RealSurveyStaysAValidSurface) {
    const std::string path = sharedData("points/topo0.asc");
    if (path.empty()) GTEST_SKIP() << "shared data not present";
    SurfaceSite model;
    loadPoints(model, readPnezdPoints(path));
    ASSERT_EQ(model.document.pointCount, 1311);
    buildSurface(model);
    SiteDocument& d = model.document;
    const Check before = checkSurface(d);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> pick(0, d.triangleCount - 1), corner(0, 2);
    int forced = 0;
    for (int i = 0; i < 150; ++i) {
        // Ends of two triangles some way apart, both surface vertices.
        const TinTriangle& t1 = d.triangles[static_cast<std::size_t>(pick(random))];
        const int a = t1.vertex[corner(random)];
        const int b = d.triangles[static_cast<std::size_t>(pick(random))].vertex[corner(random)];
        if (a == b) continue;
        enforce(d, a, b);
        forced += hasEdge(d, a, b) ? 1 : 0;  // not where it leaves a concave hull
    }
    EXPECT_GT(forced, 120);
    expectSameSurfaceAs(d, before);
}

// A 10 x 10 grid: the diagonal and a knight's move run through other grid
// points, which split them; every triangulation of a grid is full of
// co-circular points.
TEST(EnforceBreakline, PointsOnTheSegmentSplitIt) {
    SurfaceSite model;
    loadPoints(model, gridPoints(10, 10, 2.0));
    buildSurface(model);
    SiteDocument& d = model.document;
    const Check before = checkSurface(d);
    enforce(d, 0, 99);
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(hasEdge(d, 11 * i, 11 * (i + 1)));
    expectSameSurfaceAs(d, before);
    enforce(d, 9, 90);  // the other diagonal crosses the first at no grid point
    expectSameSurfaceAs(d, before);
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(hasEdge(d, 9 * (i + 1), 9 * (i + 2)));
    enforce(d, 1, 45);  // (1,0) -> (5,4): through (2,1), (3,2), (4,3)
    EXPECT_TRUE(hasEdge(d, 1, 12) && hasEdge(d, 12, 23) && hasEdge(d, 34, 45));
    enforce(d, 20, 67);  // (0,2) -> (7,6): a slope with no grid point inside
    EXPECT_TRUE(hasEdge(d, 20, 67));
    enforce(d, 0, 9);  // along the hull
    expectSameSurfaceAs(d, before);
}

// A U-shaped surface: the segment across the gap would leave it.
TEST(EnforceBreakline, SegmentLeavingTheSurfaceIsNotForced) {
    SurfaceSite model;
    const std::vector<Xyz> points = {{0, 0, 1}, {3, 0, 1}, {3, 3, 1}, {2, 3, 1}, {2, 1, 1},
                                     {1, 1, 1}, {1, 3, 1}, {0, 3, 1}};
    setSurface(model, points,
               {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {0, 4, 5}, {0, 5, 6}, {0, 6, 7}}, false);
    SiteDocument& d = model.document;
    const Check before = checkSurface(d);
    EXPECT_FALSE(enforce(d, 0, 2));  // split at (1, 1); the rest runs through the gap
    EXPECT_FALSE(enforce(d, 7, 1));  // split at (2, 1); the first piece crosses the gap
    expectSameSurfaceAs(d, before);
    EXPECT_TRUE(enforce(d, 1, 5));  // along the bottom bar
    EXPECT_TRUE(hasEdge(d, 1, 5));
    expectSameSurfaceAs(d, before);
}

}  // namespace
}  // namespace vellacor::testing
