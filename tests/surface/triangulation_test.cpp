// The surface as the surface jobs build it, and the queries the rest of the
// program makes of the finished surface.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <tuple>
#include <thread>

#include "support/temp_files.h"
#include "surface/neighbour_links.h"
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
        input.points.push_back({points[i].x, points[i].y, points[i].z, static_cast<std::int32_t>(i)});
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

// A monitor that wants the growing mesh at every checkpoint.
class SnapshotEveryTime : public TriangulationMonitor {
public:
    std::vector<std::size_t> sizes;
    std::vector<std::string> problems;
    const SurfaceSite* model = nullptr;

    bool carryOn(double) override { return true; }
    bool meshDue() override { return true; }
    void publishMesh(std::vector<MeshTriangle>& triangles) override {
        sizes.push_back(triangles.size());
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

TEST(SurfaceWorker, TheGrowingMeshGrowsThroughTheBuild) {
    SurfaceSite model;
    loadPoints(model, randomPoints(6000, 18));
    TriangulationInput input;
    for (int i = 0; i < model.document.pointCount; ++i) {
        const SurveyPoint& p = model.document.points[static_cast<std::size_t>(i)];
        input.points.push_back({p.easting, p.northing, p.elevation, i});
    }
    SnapshotEveryTime monitor;
    monitor.model = &model;
    TriangulationOutput output;
    ASSERT_TRUE(triangulate(input, output, monitor));
    ASSERT_GE(monitor.sizes.size(), 5u);
    EXPECT_TRUE(std::is_sorted(monitor.sizes.begin(), monitor.sizes.end()));
    EXPECT_LT(monitor.sizes.back(), output.triangles.size());
    EXPECT_EQ(monitor.problems, std::vector<std::string>{});
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
    // Every triangle's centroid is found by the walk from triangle 0.
    for (int t = 0; t < model.document.triangleCount; t += 97) {
        const Vec3& c = model.document.triangles[static_cast<std::size_t>(t)].centroid;
        EXPECT_EQ(locateTriangleWalk(surfaceOf(model.document), model.document.triangleCount, 0, c.x, c.y), t);
    }
}

TEST(SurfaceGeometry, PlaneNormalAndDegenerateTriangles) {
    TinTriangle t;
    computeTriangleGeometry(t, {0, 0, 1}, {10, 0, 21}, {0, 10, 31});  // z = 1 + 2x + 3y
    EXPECT_NEAR(planeElevation(t, 4, 5), 1 + 8 + 15, 1e-9);
    EXPECT_NEAR(t.centroid.x, 10.0 / 3, 1e-12);
    EXPECT_NEAR(t.normal.x / t.normal.z, -2.0, 1e-12);  // upward, along (-2, -3, 1)
    EXPECT_NEAR(t.normal.y / t.normal.z, -3.0, 1e-12);
    EXPECT_NEAR(t.normal.x * t.normal.x + t.normal.y * t.normal.y + t.normal.z * t.normal.z, 1.0, 1e-12);

    computeTriangleGeometry(t, {1, 1, 1}, {2, 2, 2}, {3, 3, 3});  // no area at all
    EXPECT_EQ(t.normal.x, 0.0);
    EXPECT_EQ(t.normal.y, 0.0);
    EXPECT_EQ(t.normal.z, -1.0);

    computeTriangleGeometry(t, {0, 0, 0}, {10, 0, 0}, {5, 0, 8});  // upright: a vertical plane
    EXPECT_EQ(planeElevation(t, 5, 0), 99999999.0);
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

}  // namespace
}  // namespace vellacor::testing
