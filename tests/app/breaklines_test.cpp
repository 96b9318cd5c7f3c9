// The breakline list, its enforcement in the surface and the staged
// insertion after every new surface.

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "app/breakline_pairs.h"
#include "app/breaklines.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "support/fake_ui.h"
#include "support/surface_edges.h"

namespace vellacor::testing {
namespace {

// Random points over a 100 x 100 site, ready to be triangulated.
void loadRandomPoints(SiteModel& m, int count, std::uint32_t seed) {
    clearSite(m);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> at(0.0, 100.0);
    SiteDocument& d = m.document;
    d.points.assign(static_cast<std::size_t>(count) + 3, SurveyPoint{});
    for (int i = 0; i < count; ++i) {
        SurveyPoint& p = d.points[static_cast<std::size_t>(i)];
        p.number = i + 1;
        p.easting = 1000.0 + at(random);
        p.northing = 2000.0 + at(random);
        p.elevation = 50.0 + 0.1 * at(random);
        p.useInSurface = 1;
    }
    d.pointCount = count;
    d.pointFileFormat = PointFileFormat::PNEZD;
    d.pointsNeedTriangulation = true;
    d.documentLoaded = true;
    m.display.showTriangles = true;
    computeExtents(d);
}

const SurveyPoint& pt(const SiteModel& m, int i) { return m.document.points[static_cast<std::size_t>(i)]; }

// Neighbour links symmetric: the triangle across each edge holds it reversed.
void expectSymmetricLinks(const SiteDocument& d) {
    for (int t = 0; t < d.triangleCount; ++t) {
        const TinTriangle& tri = d.triangles[static_cast<std::size_t>(t)];
        for (int k = 0; k < 3; ++k) {
            const int n = tri.neighbour[k];
            if (n == kNoTriangle) continue;
            const TinTriangle& other = d.triangles[static_cast<std::size_t>(n)];
            bool back = false;
            for (int j = 0; j < 3; ++j)
                back = back || (other.neighbour[j] == t && other.vertex[j] == tri.vertex[(k + 1) % 3] &&
                                other.vertex[(j + 1) % 3] == tri.vertex[k]);
            EXPECT_TRUE(back) << "triangle " << t << " edge " << k;
        }
    }
}

// Short breaklines that cross no other one: from each of the first points to
// its farthest point within 15, skipping any the list refuses.
int addShortBreaklines(SiteModel& m, int wanted) {
    int added = 0;
    for (int a = 0; a < m.document.pointCount && added < wanted; ++a) {
        int best = kNoPoint;
        double far = 0.0;
        for (int b = 0; b < m.document.pointCount; ++b) {
            const double dx = pt(m, a).easting - pt(m, b).easting, dy = pt(m, a).northing - pt(m, b).northing;
            const double r = dx * dx + dy * dy;
            if (r < 225.0 && r > far) {
                far = r;
                best = b;
            }
        }
        const int before = m.document.breaklines.count();
        if (best != kNoPoint && addBreakline(m, a, best) && m.document.breaklines.count() > before) ++added;
    }
    return added;
}

TEST(BreaklineList, RefusesTheSamePointADuplicateAndACrossing) {
    SiteModel m;
    loadRandomPoints(m, 4, 1);
    SiteDocument& d = m.document;
    // A square: 0 (0,0), 1 (10,0), 2 (10,10), 3 (0,10), and a point left out.
    const double corners[4][2] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    for (int i = 0; i < 4; ++i) {
        d.points[static_cast<std::size_t>(i)].easting = corners[i][0];
        d.points[static_cast<std::size_t>(i)].northing = corners[i][1];
    }
    EXPECT_TRUE(addBreakline(m, 0, 2));
    EXPECT_TRUE(m.display.showBreaklines);
    EXPECT_FALSE(addBreakline(m, 2, 0));
    EXPECT_FALSE(addBreakline(m, 0, 2));
    EXPECT_FALSE(addBreakline(m, 1, 1));
    EXPECT_FALSE(addBreakline(m, 1, 3));   // crosses 0-2 inside both
    EXPECT_TRUE(addBreakline(m, 2, 3));    // shares an end
    EXPECT_FALSE(addBreakline(m, 0, 42));  // no such point
    d.points[1].useInSurface = 0;
    EXPECT_TRUE(addBreakline(m, 1, 2));  // ignored
    ASSERT_EQ(d.breaklines.count(), 2);
    EXPECT_EQ(d.breaklines.pairs[1].a, 2);
}

TEST(BreaklineList, RemovingAPointsBreaklinesMovesTheLastIntoTheGap) {
    SiteModel m;
    m.document.breaklines.pairs = {{0, 1}, {1, 2}, {3, 4}, {3, 1}, {4, 5}};
    removeBreaklinesOfPoint(m, 1);
    ASSERT_EQ(m.document.breaklines.count(), 2);
    EXPECT_EQ(m.document.breaklines.pairs[0].a, 4);
    EXPECT_EQ(m.document.breaklines.pairs[1].a, 3);
}

TEST(BreaklineList, PolylineVerticesMatchPointsWithinHalfACentimetre) {
    SiteModel m;
    loadRandomPoints(m, 6, 2);
    for (int i = 0; i < 6; ++i) {
        SurveyPoint& p = m.document.points[static_cast<std::size_t>(i)];
        p.easting = 10.0 * i;
        p.northing = 5.0 * (i % 2);
    }
    m.document.points[4].useInSurface = 0;
    std::vector<std::vector<Vec3>> lines = {
        {{0.004, -0.004, 0}, {10.0, 5.0, 0}, {20.006, 0.0, 0}, {30.0, 5.0, 0}, {40.0, 0.0, 0}, {50.0, 5.0, 0}},
        {{10.0, 5.0, 0}, {10.0, 5.001, 0}, {30.0, 5.0, 0}}};
    addBreaklinesFromPolylines(m, lines);
    // 0-1 only: vertex 2 matches nothing, 4 is not in the surface, and the
    // second line's repeated point makes no breakline; 1-3 crosses nothing.
    ASSERT_EQ(m.document.breaklines.count(), 2);
    EXPECT_EQ(m.document.breaklines.pairs[0].b, 1);
    EXPECT_EQ(m.document.breaklines.pairs[1].a, 1);
    EXPECT_EQ(m.document.breaklines.pairs[1].b, 3);
    EXPECT_EQ(lines[0][0].z, pt(m, 0).elevation);
    EXPECT_EQ(lines[0][2].z, -666.0);
}

// A new surface takes every listed breakline again, five per step, before the
// neighbour links start; then the links are made for the enforced surface.
TEST(BreaklineInsertion, StagedAfterANewSurfaceThenLinked) {
    SiteModel m;
    FakeUi ui;
    loadRandomPoints(m, 400, 3);
    ASSERT_EQ(addShortBreaklines(m, 12), 12);
    SiteDocument& d = m.document;
    for (int i = 0; i < 200 && !d.triangulateStage.done; ++i) {
        runPipeline(m, ui);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(d.triangulateStage.done);
    EXPECT_FALSE(d.breaklines.ready());
    m.display.surfaceMode = SurfaceMode::Elevation;
    m.display.showTriangles = false;
    runPipeline(m, ui);
    EXPECT_FALSE(d.contourStage.running || d.contourStage.done);  // the links wait
    insertBreaklinesStep(m);
    EXPECT_EQ(d.breaklinesInserted, 5);
    EXPECT_TRUE(m.display.showTriangles);
    EXPECT_EQ(m.display.surfaceMode, SurfaceMode::Off);
    insertBreaklinesStep(m);
    insertBreaklinesStep(m);
    EXPECT_EQ(d.breaklinesInserted, 12);
    EXPECT_TRUE(d.breaklines.ready());
    EXPECT_DOUBLE_EQ(d.progress.load(), 1.0);
    // The user's view comes back once the breaklines are in.
    EXPECT_EQ(m.display.surfaceMode, SurfaceMode::Elevation);
    EXPECT_FALSE(m.display.showTriangles);
    runPipelineToCompletion(m, ui);
    ASSERT_TRUE(d.contourStage.done);
    for (const Breakline& k : d.breaklines.pairs) EXPECT_TRUE(hasEdge(d, k.a, k.b)) << k.a << "-" << k.b;
    expectSymmetricLinks(d);
}

TEST(BreaklineInsertion, UndoBuildsTheSurfaceAgainWithTheRest) {
    SiteModel m;
    FakeUi ui;
    loadRandomPoints(m, 300, 4);
    EXPECT_FALSE(undoBreakline(m));
    runPipelineToCompletion(m, ui);
    ASSERT_EQ(addShortBreaklines(m, 8), 8);
    runPipelineToCompletion(m, ui);
    ASSERT_TRUE(undoBreakline(m));
    EXPECT_FALSE(m.document.triangulateStage.done);
    runPipelineToCompletion(m, ui);
    ASSERT_EQ(m.document.breaklines.count(), 7);
    EXPECT_TRUE(m.document.contourStage.done);
    for (const Breakline& k : m.document.breaklines.pairs) EXPECT_TRUE(hasEdge(m.document, k.a, k.b));
    expectSymmetricLinks(m.document);

    // A surface read as triangles cannot be made again: it stays.
    m.document.pointFileFormat = PointFileFormat::Raw;
    const int triangles = m.document.triangleCount;
    ASSERT_TRUE(undoBreakline(m));
    EXPECT_EQ(m.document.breaklines.count(), 6);
    EXPECT_TRUE(m.document.triangulateStage.done);
    EXPECT_EQ(m.document.triangleCount, triangles);
}

TEST(BreaklineInsertion, PickedPairIsEnforcedAtOnceOrRefusedWithAMessage) {
    SiteModel m;
    FakeUi ui;
    loadRandomPoints(m, 300, 5);
    runPipelineToCompletion(m, ui);
    SiteDocument& d = m.document;
    // The two farthest-apart corners' diagonal, then the other diagonal across it.
    auto corner = [&](double sx, double sy) {
        int best = 0;
        for (int i = 1; i < d.pointCount; ++i)
            if (sx * pt(m, i).easting + sy * pt(m, i).northing > sx * pt(m, best).easting + sy * pt(m, best).northing)
                best = i;
        return best;
    };
    const int sw = corner(-1, -1), ne = corner(1, 1), nw = corner(-1, 1), se = corner(1, -1);
    m.input.selectedPoint = sw;
    breaklineBetween(m, ui, sw, ne);
    EXPECT_EQ(m.input.selectedPoint, kNoPoint);
    EXPECT_TRUE(hasEdge(d, sw, ne));
    EXPECT_TRUE(d.triangulateStage.done);
    EXPECT_FALSE(d.contourStage.done);  // the links are made again
    breaklineBetween(m, ui, nw, se);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Breakline crosses another breakline!");
    EXPECT_EQ(d.breaklines.count(), 1);
    runPipelineToCompletion(m, ui);
    EXPECT_TRUE(hasEdge(d, sw, ne));
    expectSymmetricLinks(d);
}

// Pairs of point numbers, as --add-breaklines reads them: each line a pick of
// two points, unknown numbers and unreadable lines reported by line and skipped.
TEST(BreaklinePairs, AddedAsPicksWithProblemsReportedByLine) {
    SiteModel m;
    FakeUi ui;
    loadRandomPoints(m, 300, 6);
    runPipelineToCompletion(m, ui);
    SiteDocument& d = m.document;
    for (int i = 0; i < d.pointCount; ++i) d.points[static_cast<std::size_t>(i)].number = 1000 + 2 * i;
    // Two short pairs that cross nothing, found as the test list finds them.
    SiteModel scratch;
    loadRandomPoints(scratch, 300, 6);
    ASSERT_EQ(addShortBreaklines(scratch, 2), 2);
    const Breakline first = scratch.document.breaklines.pairs[0], second = scratch.document.breaklines.pairs[1];
    auto number = [&](int i) { return std::to_string(1000 + 2 * i); };
    const std::string text = number(first.a) + "," + number(first.b) + "\r\n# a remark\n\n" + "7,9\n" +
                             " " + number(second.a) + " , " + number(second.b) + "\n" + "what\n" +
                             number(first.b) + "," + number(first.a);
    const BreaklinePairsResult result = addBreaklinePairs(m, text);
    EXPECT_EQ(result.accepted, 2);
    EXPECT_EQ(result.refused, 1);  // the first again, the other way round
    ASSERT_EQ(result.problems.size(), 2u);
    EXPECT_EQ(result.problems[0], "line 4: no point numbered 7");
    EXPECT_EQ(result.problems[1], "line 6: not a pair of point numbers \"a,b\"");
    EXPECT_TRUE(hasEdge(d, first.a, first.b));
    EXPECT_TRUE(hasEdge(d, second.a, second.b));
    runPipelineToCompletion(m, ui);
    expectSymmetricLinks(d);
}

}  // namespace
}  // namespace vellacor::testing
