// The surface as the surface jobs build it, and the queries the rest of the
// program makes of the finished surface.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <random>
#include <thread>
#include <tuple>

#include "support/temp_files.h"
#include "surface/duplicate_points.h"
#include "surface/neighbour_links.h"
#include "surface/plan_delaunay.h"
#include "surface/plan_tin.h"
#include "surface/point_location.h"
#include "surface/predicates.h"
#include "surface/surface_jobs.h"
#include "surface/tin_geometry.h"
#include "surface_support.h"

namespace vellacor::testing {
namespace {

// Each point left out names the point the surface keeps at its place: the
// last of its group in (easting, northing, index) order, also across a chain
// of points each within 0.005 of the next but not of the last.
TEST(SurfaceWorker, EachDroppedPointNamesTheKeptPointOfItsGroup) {
    std::vector<Xyz> points = randomPoints(200, 21, 100.0, 0.0, 0.0);
    std::vector<std::vector<int>> groups;
    auto group = [&](std::vector<Xyz> members) {
        groups.emplace_back();
        for (const Xyz& p : members) {
            groups.back().push_back(static_cast<int>(points.size()));
            points.push_back(p);
        }
    };
    group({{200.0, 200.0, 1}, {200.0, 200.0, 2}, {200.0, 200.0, 3}});         // identical: the last index stays
    group({{210.004, 210.0, 1}, {210.0, 210.003, 2}, {210.002, 209.999, 3}});  // the one furthest east stays
    group({{220.0, 220.0, 1}, {220.008, 220.0, 2}, {220.004, 220.0, 3}});      // a chain 0.008 long
    group({{230.0, 230.0, 1}, {230.0, 230.004, 2}, {230.0, 230.002, 3}});      // one easting: the northmost
    TriangulationInput input;
    for (std::size_t i = 0; i < points.size(); ++i)
        input.points.push_back({points[i].x, points[i].y, static_cast<std::int32_t>(i)});
    struct NeverStop : TriangulationMonitor {
        bool carryOn(double) override { return true; }
    } monitor;
    TriangulationOutput output;
    ASSERT_TRUE(triangulate(input, output, monitor));
    std::map<int, int> keptFor;
    for (const DuplicatePoint& d : output.duplicates) EXPECT_TRUE(keptFor.emplace(d.point, d.kept).second);
    std::map<int, int> expected;
    for (const std::vector<int>& members : groups) {
        const int last = *std::max_element(members.begin(), members.end(), [&](int a, int b) {
            const Xyz &p = points[static_cast<std::size_t>(a)], &q = points[static_cast<std::size_t>(b)];
            return std::tie(p.x, p.y, a) < std::tie(q.x, q.y, b);
        });
        for (int m : members)
            if (m != last) expected[m] = last;
    }
    EXPECT_EQ(keptFor, expected);
}

// Points on a grid of half the tolerance, some at one position twice, in
// shuffled order: a point is left out exactly when a later point (by easting,
// northing, index) lies within 0.005 of it in both axes, as a comparison of
// every pair finds; and the point kept for it is itself kept and later.
// On a site a million kilometres across the cells are numbered past what
// fits in a word beside a point's position: the same points are found.
TEST(DuplicatePositions, LeavesOutExactlyThePointsWithALaterOneWithinTolerance) {
    for (const bool vast : {false, true}) {
        std::vector<SurfacePoint> points;
        std::mt19937 random(3);
        for (int i = 0; i < 2500; ++i) {
            const double e = 100.0 + static_cast<int>(random() % 40) * 0.0025;
            const double n = 200.0 + static_cast<int>(random() % 40) * 0.0025;
            points.push_back({e, n, static_cast<std::int32_t>(random() % 100000)});
        }
        if (vast)
            for (int i = 0; i < 40; ++i)
                points.push_back({1e9 + (i % 8) * 0.003, 1e9 - (i % 5) * 0.004, static_cast<std::int32_t>(random() % 100000)});
        std::shuffle(points.begin(), points.end(), random);
        auto later = [&](std::size_t a, std::size_t b) {
            const SurfacePoint &p = points[a], &q = points[b];
            return std::tie(p.easting, p.northing, p.pointIndex) > std::tie(q.easting, q.northing, q.pointIndex);
        };
        std::vector<bool> expectDropped(points.size(), false);
        for (std::size_t i = 0; i < points.size(); ++i)
            for (std::size_t j = 0; j < points.size() && !expectDropped[i]; ++j)
                expectDropped[i] = j != i && later(j, i) &&
                                   std::fabs(points[i].easting - points[j].easting) < kSamePosition &&
                                   std::fabs(points[i].northing - points[j].northing) < kSamePosition;
        std::vector<bool> dropped(points.size(), false);
        const std::vector<DuplicatePosition> found = findDuplicatePositions(points);
        for (const DuplicatePosition& d : found) dropped[static_cast<std::size_t>(d.dropped)] = true;
        EXPECT_EQ(dropped, expectDropped);
        for (const DuplicatePosition& d : found) {
            EXPECT_FALSE(dropped[static_cast<std::size_t>(d.kept)]);
            EXPECT_TRUE(later(static_cast<std::size_t>(d.kept), static_cast<std::size_t>(d.dropped)));
        }
    }
}

// A monitor that wants the growing mesh at every checkpoint.
class SnapshotEveryTime : public TriangulationMonitor {
public:
    std::vector<std::size_t> sizes;
    std::vector<std::string> problems;
    const SurfaceSite* model = nullptr;
    std::size_t most = 1'000'000;
    std::vector<MeshTriangle> last;

    bool carryOn(double) override { return true; }
    bool meshDue() override { return true; }
    std::size_t mostShownTriangles() const override { return most; }
    void publishMesh(std::vector<MeshTriangle>& triangles) override {
        sizes.push_back(triangles.size());
        last = triangles;
        for (const MeshTriangle& t : triangles) {
            const SurveyPoint& a = model->document.points[static_cast<std::size_t>(t[0])];
            const SurveyPoint& b = model->document.points[static_cast<std::size_t>(t[1])];
            const SurveyPoint& c = model->document.points[static_cast<std::size_t>(t[2])];
            const double twiceArea = (b.easting - a.easting) * (c.northing - a.northing) -
                                     (c.easting - a.easting) * (b.northing - a.northing);
            if (twiceArea <= 0) problems.push_back("a published triangle is not counter-clockwise");
        }
    }
};

// Triangulates the site's points, publishing to the monitor.
bool triangulateSite(const SurfaceSite& model, SnapshotEveryTime& monitor, TriangulationOutput& output) {
    TriangulationInput input;
    for (int i = 0; i < model.document.pointCount; ++i) {
        const SurveyPoint& p = model.document.points[static_cast<std::size_t>(i)];
        input.points.push_back({p.easting, p.northing, i});
    }
    monitor.model = &model;
    return triangulate(input, output, monitor);
}

TEST(SurfaceWorker, TheGrowingMeshGrowsThroughTheBuild) {
    SurfaceSite model;
    loadPoints(model, randomPoints(6000, 18));
    SnapshotEveryTime monitor;
    TriangulationOutput output;
    ASSERT_TRUE(triangulateSite(model, monitor, output));
    ASSERT_GE(monitor.sizes.size(), 5u);
    EXPECT_TRUE(std::is_sorted(monitor.sizes.begin(), monitor.sizes.end()));
    EXPECT_LT(monitor.sizes.back(), output.triangles.size());
    EXPECT_EQ(monitor.problems, std::vector<std::string>{});
}

// Of a mesh larger than the view is shown, every k-th triangle: never more
// than the most, and from all over the site, not the first corner built.
TEST(SurfaceWorker, ALargeGrowingMeshIsShownThinned) {
    SurfaceSite model;
    loadPoints(model, randomPoints(6000, 18));
    SnapshotEveryTime monitor;
    monitor.most = 500;
    TriangulationOutput output;
    ASSERT_TRUE(triangulateSite(model, monitor, output));
    EXPECT_EQ(monitor.problems, std::vector<std::string>{});
    ASSERT_FALSE(monitor.sizes.empty());
    EXPECT_LE(*std::max_element(monitor.sizes.begin(), monitor.sizes.end()), 500u);
    EXPECT_GT(monitor.sizes.back(), 250u);
    // The last mesh shown spans the site as the whole one does.
    double low = 1e300, high = -1e300, allLow = 1e300, allHigh = -1e300;
    for (const MeshTriangle& t : monitor.last)
        for (const std::int32_t v : t) {
            const double x = model.document.points[static_cast<std::size_t>(v)].easting;
            low = std::min(low, x), high = std::max(high, x);
        }
    for (int i = 0; i < model.document.pointCount; ++i) {
        const double x = model.document.points[static_cast<std::size_t>(i)].easting;
        allLow = std::min(allLow, x), allHigh = std::max(allHigh, x);
    }
    EXPECT_LT(low - allLow, 0.1 * (allHigh - allLow));
    EXPECT_LT(allHigh - high, 0.1 * (allHigh - allLow));
}

TEST(SurfaceWorker, RealSurveyFile) {
    const std::string path = sharedData("points/topo0.asc");
    if (path.empty()) GTEST_SKIP() << "shared data not present";
    SurfaceSite model;
    loadPoints(model, readPnezdPoints(path));
    ASSERT_EQ(model.document.pointCount, 1311);
    buildSurface(model);
    EXPECT_TRUE(model.document.contourStage.done);
    EXPECT_GT(model.document.triangleCount, model.document.pointCount);
    EXPECT_EQ(validate(viewOf(model)), std::vector<std::string>{});
    // Each triangle's plane, from its normal and first corner, passes through all three corners.
    const SurfaceView surface = surfaceOf(model.document);
    for (int t = 0; t < surface.triangleCount; ++t)
        for (int k = 0; k < 3; ++k) {
            const SurveyPoint& p = surface.point(surface.triangle(t).vertex[k]);
            ASSERT_NEAR(planeElevation(surface, t, p.easting, p.northing), p.elevation, 1e-6) << t;
        }
    // Every triangle's centroid is found by the walk from triangle 0.
    for (int t = 0; t < model.document.triangleCount; t += 97) {
        const Vec3 c = centroidOf(surfaceOf(model.document), t);
        EXPECT_EQ(locateTriangleWalk(surfaceOf(model.document), model.document.triangleCount, 0, c.x, c.y), t);
    }
}

TEST(SurfaceGeometry, PlaneNormalAndDegenerateTriangles) {
    Vec3 n = triangleNormal({0, 0, 1}, {10, 0, 21}, {0, 10, 31});  // z = 1 + 2x + 3y
    EXPECT_NEAR(planeElevation(n, planeConstantOf(n, {0, 0, 1}), 4, 5), 1 + 8 + 15, 1e-9);
    EXPECT_NEAR(triangleCentroid({0, 0, 1}, {10, 0, 21}, {0, 10, 31}).x, 10.0 / 3, 1e-12);
    EXPECT_NEAR(n.x / n.z, -2.0, 1e-12);  // upward, along (-2, -3, 1)
    EXPECT_NEAR(n.y / n.z, -3.0, 1e-12);
    EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0, 1e-12);

    n = triangleNormal({1, 1, 1}, {2, 2, 2}, {3, 3, 3});  // no area at all
    EXPECT_EQ(n.x, 0.0);
    EXPECT_EQ(n.y, 0.0);
    EXPECT_EQ(n.z, -1.0);

    n = triangleNormal({0, 0, 0}, {10, 0, 0}, {5, 0, 8});  // upright: a vertical plane
    EXPECT_EQ(planeElevation(n, 0.0, 5, 0), 99999999.0);
}

TEST(SurfaceGeometry, SegmentsCrossOnlyWellInsideBoth) {
    SurfaceSite model;
    loadPoints(
        model,
        {{0, 0, 1}, {10, 10, 1}, {0, 10, 1}, {10, 0, 1}, {5, 5, 1}, {10.005, 10.005, 1}, {20, 0, 1}, {20, 10, 1}});
    EXPECT_TRUE(segmentsCross(surfaceOf(model.document), 0, 1, 2, 3));
    EXPECT_FALSE(segmentsCross(surfaceOf(model.document), 0, 1, 0, 3));  // a shared end
    EXPECT_FALSE(segmentsCross(surfaceOf(model.document), 0, 4, 2, 3));  // ends on the other segment
    EXPECT_FALSE(segmentsCross(surfaceOf(model.document), 0, 5, 2, 7));  // crosses within 0.1 % of an end
    EXPECT_FALSE(segmentsCross(surfaceOf(model.document), 0, 2, 3, 1));  // parallel
    EXPECT_FALSE(segmentsCross(surfaceOf(model.document), 0, 1, 6, 7));  // the lines meet beyond the segments
}

TEST(SurfaceGeometry, LocationInsideOutsideAndByWalking) {
    SurfaceSite model;
    loadPoints(model, gridPoints(30, 30, 2.0));
    buildSurface(model);
    EXPECT_EQ(locateTriangle(surfaceOf(model.document), 0, -1.0, 5.0), kNoTriangle);
    EXPECT_EQ(locateTriangle(surfaceOf(model.document), 0, 100.0, 100.0), kNoTriangle);
    const int t = locateTriangle(surfaceOf(model.document), 0, 31.3, 47.9);
    ASSERT_NE(t, kNoTriangle);
    EXPECT_TRUE(triangleContains(surfaceOf(model.document), t, 31.3, 47.9));
    EXPECT_EQ(locateTriangleWalk(surfaceOf(model.document), model.document.triangleCount, model.document.triangleCount - 1, 31.3, 47.9), t);
    EXPECT_EQ(locateTriangleWalk(surfaceOf(model.document), 0, model.document.triangleCount - 1, 31.3, 47.9) == t,
              triangleContains(surfaceOf(model.document), model.document.triangleCount - 1, 31.3, 47.9));
    EXPECT_EQ(locateTriangleWalk(surfaceOf(model.document), 10, kNoTriangle, 31.3, 47.9), kNoTriangle);
    EXPECT_EQ(locateTriangleWalk(surfaceOf(model.document), -1, 0, 31.3, 47.9), kNoTriangle);
    // A surface of points 5 cm apart is walked across as a coarse one is: the
    // crossing test has no threshold in square metres to refuse short edges.
    SurfaceSite dense;
    std::vector<Xyz> jittered = gridPoints(30, 30, 0.05);
    for (std::size_t i = 0; i < jittered.size(); ++i)
        jittered[i].x += 0.015 * std::sin(1.7 * static_cast<double>(i)), jittered[i].y += 0.015 * std::cos(2.3 * static_cast<double>(i));
    loadPoints(dense, jittered);
    buildSurface(dense);
    const SurfaceView fine = surfaceOf(dense.document);
    for (int u = 1; u < fine.triangleCount; u += 37) {
        const Vec3 c = centroidOf(fine, u);
        EXPECT_EQ(locateTriangleWalk(fine, fine.triangleCount, 0, c.x, c.y), u);
    }

    // The exact walk over the plan-ordered copy tells a grid point (a corner)
    // from a point on a grid line (an edge), and leaves by the surface's edge.
    const PlanTin tin = planTinOf(surfaceOf(model.document));
    const Location inside = walkToward(tin, 0, 31.3, 47.9, tin.triangleCount());
    ASSERT_EQ(inside.place, Place::Inside);
    EXPECT_NEAR(heightInTriangle(tin, inside.triangle, 31.3, 47.9), 10 + 31.3 / 2 + 47.9 / 2, 1e-9);
    const Location corner = walkToward(tin, 0, 30.0, 48.0, tin.triangleCount());
    ASSERT_EQ(corner.place, Place::OnVertex);
    EXPECT_EQ(tin.corner(corner.triangle, corner.edge).x, 30.0);
    EXPECT_EQ(tin.corner(corner.triangle, corner.edge).y, 48.0);
    EXPECT_EQ(heightInTriangle(tin, corner.triangle, 30.0, 48.0), 49.0);
    const Location edge = walkToward(tin, tin.triangleCount() - 1, 31.0, 48.0, tin.triangleCount());
    ASSERT_EQ(edge.place, Place::OnEdge);
    EXPECT_EQ(tin.corner(edge.triangle, edge.edge).y, 48.0);
    EXPECT_EQ(tin.corner(edge.triangle, (edge.edge + 1) % 3).y, 48.0);
    const Location off = walkToward(tin, 0, -1.0, 5.0, tin.triangleCount());
    ASSERT_EQ(off.place, Place::Outside);
    ASSERT_NE(off.triangle, kNoTriangle);
    EXPECT_LT(tin.neighbours[static_cast<std::size_t>(off.triangle)][static_cast<std::size_t>(off.edge)], 0);
    EXPECT_EQ(walkToward(tin, 0, 31.3, 47.9, 1).triangle == kNoTriangle, inside.triangle != 0);  // out of steps
}

// The link stage really stops when cancelled, whether it would relink every
// triangle or take over the triangulation's links.
TEST(SurfaceWorker, ACancelledLinkStageStopsWithoutAResult) {
    SurfaceSite model;
    loadPoints(model, randomPoints(3000, 21));
    buildSurface(model);
    ASSERT_TRUE(model.document.triangulateStage.done);
    const std::atomic<bool> cancelled{true};
    std::atomic<double> progress{0.0};
    const JobControl control(cancelled, progress);
    for (const bool known : {false, true}) {
        TopologyInput input;
        input.triangles = model.document.triangles.data();
        input.triangleCount = model.document.triangleCount;
        if (known) {
            input.linksKnown = true;
            input.knownDigest = triangleDigest(input.triangles, input.triangleCount);
        }
        TopologyResult result;
        EXPECT_FALSE(linkSurface(input, result, control)) << (known ? "known links" : "linked anew");
    }
}

// Broken input where three triangles share an edge: the links pair them in
// index order, the first with the second, and the third stays unlinked there.
TEST(NeighbourLinks, AnEdgeSharedByThreeTrianglesLinksTheFirstTwo) {
    std::vector<TinTriangle> triangles(3);
    const std::int32_t corners[3][3] = {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}};
    for (int t = 0; t < 3; ++t)
        for (int k = 0; k < 3; ++k) triangles[static_cast<std::size_t>(t)].vertex[k] = corners[t][k];
    std::vector<std::int32_t> links;
    std::vector<HullEdge> hull;
    ASSERT_TRUE(linkNeighbours(triangles.data(), 3, links, hull, [](double) { return true; }));
    EXPECT_EQ(links[0], 1);  // triangle 0, edge 0-1
    EXPECT_EQ(links[3], 0);  // triangle 1, edge 1-0
    EXPECT_EQ(links[6], kNoTriangle);
    EXPECT_EQ(hull.size(), 7u);  // nine edges, two of them linked
}

// The triangulation itself, without threads or the site model: the Delaunay
// invariants on random, clustered, co-circular and collinear sets, at the
// magnitudes of a survey in kilometres and of copies scaled by 1e-9 and 1e9.

// The same mesh over copies of its points scaled by 2^-30 and 2^30 (about
// 1e-9 and 1e9): exact scalings, so the mesh must stay valid.
void expectValidAtEveryScale(const MeshView& mesh) {
    EXPECT_EQ(validate(mesh), std::vector<std::string>{});
    EXPECT_EQ(validate(scaled(mesh, 0x1p-30)), std::vector<std::string>{}) << "scaled by 2^-30";
    EXPECT_EQ(validate(scaled(mesh, 0x1p30)), std::vector<std::string>{}) << "scaled by 2^30";
}

// Triangulates points given at the magnitude `factor` directly with the
// kernel, so the duplicate tolerance (absolute) does not change the set.
MeshView kernelMesh(const std::vector<Xyz>& points, double factor) {
    MeshView mesh;
    for (const Xyz& p : points) {
        mesh.x.push_back(p.x * factor);
        mesh.y.push_back(p.y * factor);
    }
    const std::vector<std::int32_t> order = hilbertOrder(mesh.x.data(), mesh.y.data(), static_cast<int>(points.size()));
    std::vector<double> x, y;
    for (std::int32_t i : order) {
        x.push_back(mesh.x[static_cast<std::size_t>(i)]);
        y.push_back(mesh.y[static_cast<std::size_t>(i)]);
    }
    PlanDelaunay delaunay(x.data(), y.data(), static_cast<int>(x.size()));
    delaunay.build(64, [](int) { return true; });
    std::vector<std::int32_t> vertices;
    delaunay.triangles(vertices, mesh.neighbours);
    for (std::int32_t v : vertices) mesh.vertices.push_back(order[static_cast<std::size_t>(v)]);
    return mesh;
}

TEST(Delaunay, RandomAndClusteredSetsHoldEveryInvariant) {
    expectValidAtEveryScale(triangulateDirect(randomPoints(3000, 1)));
    expectValidAtEveryScale(triangulateDirect(clusteredPoints(3000, 2)));
    for (int n : {3, 4, 5, 7, 20})
        expectValidAtEveryScale(triangulateDirect(randomPoints(n, static_cast<std::uint32_t>(100 + n))));
}

// Every four neighbours of a grid are co-circular: an inexact in-circle test
// leaves overlapping or missing triangles here.
TEST(Delaunay, RegularGridsNeitherOverlapNorLeaveGaps) {
    expectValidAtEveryScale(triangulateDirect(gridPoints(40, 30, 1.0)));
    expectValidAtEveryScale(triangulateDirect(gridPoints(40, 30, 0.1, 538000.0, 1455000.0)));
    expectValidAtEveryScale(triangulateDirect(gridPoints(25, 25, 0.3)));  // inexact coordinate differences
    const MeshView grid = triangulateDirect(gridPoints(40, 30, 1.0));
    EXPECT_EQ(grid.vertices.size() / 3, 2u * 39 * 29);
}

TEST(Delaunay, KernelHoldsAtTinyAndHugeMagnitudes) {
    // Scaled by 1e-9 and 1e9 before triangulating: the predicates must not
    // depend on magnitude.
    for (double factor : {1e-9, 1.0, 1e9}) {
        EXPECT_EQ(validate(kernelMesh(randomPoints(2000, 5, 1.0, 0.0, 0.0), factor)), std::vector<std::string>{})
            << "factor " << factor;
        EXPECT_EQ(validate(kernelMesh(gridPoints(20, 20, 1.0, -10.0, -10.0), factor)), std::vector<std::string>{})
            << "grid, factor " << factor;
    }
}

TEST(Delaunay, CoCircularAndCollinearSets) {
    std::vector<Xyz> circle;  // exactly co-circular: the integer points of radius 25
    for (int x = -25; x <= 25; ++x)
        for (int y = -25; y <= 25; ++y)
            if (x * x + y * y == 625) circle.push_back({1000.0 + x, 2000.0 + y, 1.0});
    expectValidAtEveryScale(triangulateDirect(circle));
    EXPECT_EQ(triangulateDirect(circle).vertices.size() / 3, circle.size() - 2);

    std::vector<Xyz> line;
    for (int i = 0; i < 30; ++i) line.push_back({i * 2.0, i * 3.0, 5.0});
    EXPECT_TRUE(triangulateDirect(line).vertices.empty());
    line.push_back({5.0, 0.0, 5.0});  // one point off the line: a fan of 29 triangles
    const MeshView fan = triangulateDirect(line);
    EXPECT_EQ(fan.vertices.size() / 3, 29u);
    EXPECT_EQ(validate(fan), std::vector<std::string>{});
}

// The orientation and in-circle signs against exact integer arithmetic, on
// configurations where plain floating point gets them wrong.
using Wide = __int128;

int sign(double v) { return (v > 0) - (v < 0); }
int sign(Wide v) { return (v > 0) - (v < 0); }

Wide exactOrient(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by, std::int64_t cx, std::int64_t cy) {
    return Wide(ax - cx) * (by - cy) - Wide(ay - cy) * (bx - cx);
}

Wide exactInCircle(const std::int64_t p[4][2]) {
    Wide d[3][3];
    for (int i = 0; i < 3; ++i) {
        const Wide x = p[i][0] - p[3][0], y = p[i][1] - p[3][1];
        d[i][0] = x;
        d[i][1] = y;
        d[i][2] = x * x + y * y;
    }
    return d[0][2] * (d[1][0] * d[2][1] - d[2][0] * d[1][1]) + d[1][2] * (d[2][0] * d[0][1] - d[0][0] * d[2][1]) +
           d[2][2] * (d[0][0] * d[1][1] - d[1][0] * d[0][1]);
}

TEST(Predicates, OrientationOfNearlyCollinearPointsIsExact) {
    // Large coordinates a few units off one line: the products lose the units.
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::int64_t> big(-(std::int64_t{1} << 50), std::int64_t{1} << 50);
    std::uniform_int_distribution<std::int64_t> nudge(-2, 2);
    for (int i = 0; i < 20000; ++i) {
        const std::int64_t ax = big(random), ay = big(random), bx = big(random), by = big(random);
        const std::int64_t cx = ax + (bx - ax) / 2 + nudge(random), cy = ay + (by - ay) / 2 + nudge(random);
        ASSERT_EQ(sign(orient2d(double(ax), double(ay), double(bx), double(by), double(cx), double(cy))),
                  sign(exactOrient(ax, ay, bx, by, cx, cy)))
            << i;
    }
}

TEST(Predicates, InCircleOfNearlyCoCircularPointsIsExact) {
    // Integer points on a circle of radius 5^4 (many of them, exactly on it),
    // moved far from the origin, with the fourth point nudged by a unit or not.
    const std::int64_t onCircle[][2] = {{625, 0},    {0, 625},     {-625, 0},  {0, -625},   {175, 600},  {-600, 175},
                                        {375, -500}, {-500, -375}, {336, 527}, {-527, 336}, {600, -175}, {-175, -600}};
    std::mt19937_64 random(8);
    std::uniform_int_distribution<int> pick(0, 11);
    std::uniform_int_distribution<std::int64_t> offset(-(std::int64_t{1} << 24), std::int64_t{1} << 24);
    std::uniform_int_distribution<std::int64_t> nudge(-1, 1);
    for (int i = 0; i < 20000; ++i) {
        const std::int64_t ox = offset(random), oy = offset(random);
        std::int64_t p[4][2];
        for (int k = 0; k < 4; ++k) {
            const auto& q = onCircle[pick(random)];
            p[k][0] = ox + q[0] + (k == 3 ? nudge(random) : 0);
            p[k][1] = oy + q[1] + (k == 3 ? nudge(random) : 0);
        }
        if (exactOrient(p[0][0], p[0][1], p[1][0], p[1][1], p[2][0], p[2][1]) <= 0) continue;
        ASSERT_EQ(sign(incircle(double(p[0][0]), double(p[0][1]), double(p[1][0]), double(p[1][1]), double(p[2][0]),
                                double(p[2][1]), double(p[3][0]), double(p[3][1]))),
                  sign(exactInCircle(p)))
            << i;
    }
}

// Grid points a quarter apart and grid points three apart, far from the
// origin, many of them co-circular: small whole differences (after scaling)
// and, for the wider spreads, differences too large for plain arithmetic.
TEST(Predicates, InCircleOnSurveyGridsIsExact) {
    std::mt19937_64 random(9);
    for (const double spacing : {0.25, 3.0}) {
        for (const std::int64_t spread : {std::int64_t{4}, std::int64_t{3000}}) {
            std::uniform_int_distribution<std::int64_t> cell(0, spread);
            for (int i = 0; i < 20000; ++i) {
                std::int64_t p[4][2];
                double q[4][2];
                for (int k = 0; k < 4; ++k)
                    for (int c = 0; c < 2; ++c) {
                        p[k][c] = cell(random);
                        q[k][c] = 500000.0 + spacing * static_cast<double>(p[k][c]);
                    }
                if (exactOrient(p[0][0], p[0][1], p[1][0], p[1][1], p[2][0], p[2][1]) <= 0) continue;
                ASSERT_EQ(sign(incircle(q[0][0], q[0][1], q[1][0], q[1][1], q[2][0], q[2][1], q[3][0], q[3][1])),
                          sign(exactInCircle(p)))
                    << spacing << " " << spread << " " << i;
            }
        }
    }
}

TEST(Predicates, InexactDifferencesStillGiveExactSigns) {
    // Coordinates straddling zero with many significant bits: the differences
    // themselves round, and only the full exact evaluation decides.
    const double a[2] = {-0.1, 0.3}, b[2] = {0.7, -0.2}, c[2] = {0.25, 0.9};
    EXPECT_GT(orient2d(a[0], a[1], b[0], b[1], c[0], c[1]), 0.0);
    EXPECT_LT(orient2d(a[0], a[1], c[0], c[1], b[0], b[1]), 0.0);
    // A point exactly on the line through two others with dyadic coordinates.
    EXPECT_EQ(orient2d(-0.375, 1e-20, 0.125, 1e-20, 3.0, 1e-20), 0.0);
    EXPECT_EQ(incircle(-1.0, 0.0, 1.0, 0.0, 0.0, 1.0, 0.0, -1.0), 0.0);
    EXPECT_GT(incircle(-1.0, 0.0, 1.0, 0.0, 0.0, 1.0, 0.0, -1.0 + 0x1p-52), 0.0);
    EXPECT_LT(incircle(-1.0, 0.0, 1.0, 0.0, 0.0, 1.0, 0.0, -1.0 - 0x1p-52), 0.0);
}

}  // namespace
}  // namespace vellacor::testing
