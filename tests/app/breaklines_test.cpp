// The breakline list, its enforcement in the surface and the staged
// insertion after every new surface.

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "app/breakline_pairs.h"
#include "app/breaklines.h"
#include "app/dxf_import.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "support/fake_ui.h"
#include "support/frame_clock.h"
#include "support/surface_edges.h"
#include "support/temp_files.h"
#include "surface/predicates.h"
#include "surface/tin_geometry.h"

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
        p.useInSurface = true;
    }
    d.pointCount = count;
    d.pointFileFormat = PointFileFormat::PNEZD;
    d.pointsNeedTriangulation = true;
    d.documentLoaded = true;
    m.display.showTriangles = true;
    computeExtents(d);
}

using Place = std::pair<double, double>;

// Points at the plan places given, in order.
void loadPlaces(SiteModel& m, const std::vector<Place>& places) {
    loadRandomPoints(m, static_cast<int>(places.size()), 9);
    for (std::size_t i = 0; i < places.size(); ++i) {
        m.document.points[i].easting = places[i].first;
        m.document.points[i].northing = places[i].second;
    }
    computeExtents(m.document);
}

const SurveyPoint& pt(const SiteModel& m, int i) { return m.document.points[static_cast<std::size_t>(i)]; }

// Frames until the surface is triangulated, before the breaklines go in.
void triangulateFirst(SiteModel& m, FakeUi& ui) {
    for (int i = 0; i < 200 && !m.document.triangulateStage.done; ++i) {
        runPipeline(m, ui);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(m.document.triangulateStage.done);
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
    loadPlaces(m, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});  // a square
    SiteDocument& d = m.document;
    EXPECT_TRUE(addBreakline(m, 0, 2));
    EXPECT_TRUE(m.display.showBreaklines);
    EXPECT_FALSE(addBreakline(m, 2, 0));
    EXPECT_FALSE(addBreakline(m, 0, 2));
    EXPECT_FALSE(addBreakline(m, 1, 1));
    EXPECT_FALSE(addBreakline(m, 1, 3));   // crosses 0-2 inside both
    EXPECT_TRUE(addBreakline(m, 2, 3));    // shares an end
    EXPECT_FALSE(addBreakline(m, 0, 42));  // no such point
    d.points[1].useInSurface = false;
    EXPECT_TRUE(addBreakline(m, 1, 2));  // ignored
    ASSERT_EQ(d.breaklines.count(), 2);
    EXPECT_EQ(d.breaklines.pairs[1].a, 2);
}

// Breaklines that truly cross cannot both be edges of the surface, however
// near an end they cross; ends at one place meet, and so does a touch.
TEST(BreaklineList, RefusesATrueCrossingNearAnEnd) {
    SiteModel m;
    loadPlaces(m, {{0, 0}, {100, 0}, {50, -50}, {99.96, 0.04}, {40, 0}, {40, -30}, {-40, 30}, {0.003, -0.002},
                   {9.985, 10}, {10.015, 10}, {10, 9.985}, {10, 10.015}, {99.95, -10}, {99.95, 10}});
    ASSERT_TRUE(addBreakline(m, 0, 1));
    FakeUi ui;
    breaklineBetween(m, ui, 2, 3);  // crosses 0-1 at 99.92 % of its own length
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Breakline crosses another breakline!"});
    EXPECT_TRUE(addBreakline(m, 4, 5));    // ends on 0-1: they meet
    EXPECT_TRUE(addBreakline(m, 6, 7));    // crosses 0-1 by 3 mm, ending at point 0's place: they meet there
    ASSERT_TRUE(addBreakline(m, 8, 9));    // 3 cm long
    EXPECT_FALSE(addBreakline(m, 10, 11));  // crosses it square in the middle
    EXPECT_FALSE(addBreakline(m, 12, 13));  // through the middle of itself, 5 cm from the end of 0-1
    EXPECT_EQ(m.document.breaklines.count(), 4);
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
    loadPlaces(m, {{0, 0}, {10, 5}, {20, 0}, {30, 5}, {40, 0}, {50, 5}});
    m.document.points[4].useInSurface = false;
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

// A new surface takes every listed breakline again, a frame's worth a step
// (five when they are slow), before the neighbour links start; then the links
// are made for the enforced surface.
TEST(BreaklineInsertion, StagedAfterANewSurfaceThenLinked) {
    SiteModel m;
    FakeUi ui;
    m.cycle.now = &clockAdvancing<20000>;  // each breakline seems to take 20 ms
    loadRandomPoints(m, 400, 3);
    ASSERT_EQ(addShortBreaklines(m, 12), 12);
    SiteDocument& d = m.document;
    triangulateFirst(m, ui);
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

// The window's pacing: a frame puts in breaklines until its 10 ms are used
// up, and always five, however slow they are.
TEST(BreaklineInsertion, AFrameTakesWhatFitsInItsTimeAndAtLeastFive) {
    SiteModel m;
    FakeUi ui;
    constexpr int kSide = 30;
    std::vector<Place> grid;
    for (int row = 0; row < kSide; ++row)
        for (int col = 0; col < kSide; ++col) grid.emplace_back(1000.0 + 3.0 * col, 2000.0 + 3.0 * row);
    loadPlaces(m, grid);
    for (int row = 0; row < kSide; ++row)
        for (int col = 0; col + 1 < kSide; ++col) ASSERT_TRUE(addBreakline(m, row * kSide + col, row * kSide + col + 1));
    SiteDocument& d = m.document;
    triangulateFirst(m, ui);
    ASSERT_EQ(d.breaklinesInserted, 0);

    // Cheap ones (0.1 ms each): about a hundred, stopping at the budget.
    m.cycle.now = &clockAdvancing<100>;
    insertBreaklinesStep(m);
    EXPECT_GE(d.breaklinesInserted, 95);
    EXPECT_LE(d.breaklinesInserted, 105);
    // Slow ones (20 ms each): still five a frame, so they are seen going in.
    m.cycle.now = &clockAdvancing<20000>;
    const int before = d.breaklinesInserted;
    insertBreaklinesStep(m);
    EXPECT_EQ(d.breaklinesInserted, before + 5);
    EXPECT_FALSE(d.breaklines.ready());

    m.cycle.now = &clockAdvancing<100>;
    int frames = 0;
    for (; frames < 20 && !d.breaklines.ready(); ++frames) insertBreaklinesStep(m);
    EXPECT_TRUE(d.breaklines.ready());
    EXPECT_EQ(frames, 8);  // the other 761 at a hundred or so a frame
    for (const Breakline& k : d.breaklines.pairs) EXPECT_TRUE(hasEdge(d, k.a, k.b)) << k.a << "-" << k.b;
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
    EXPECT_EQ(m.input.selectedPoint, kNoSelection);
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

// ---- Many lines at once, as CAD lines become breaklines ----

bool samePlace(const SurveyPoint& p, const SurveyPoint& q) {
    return std::fabs(p.easting - q.easting) < 0.005 && std::fabs(p.northing - q.northing) < 0.005;
}

// The refusal rule written out plainly: a crossing well inside both as
// segmentsCross sees it, or any crossing where each splits the other
// strictly, unless the two share an end or have ends at one place.
bool crossInTest(const SiteDocument& d, int a, int b, int c, int e) {
    if (a == c || a == e || b == c || b == e) return false;
    if (segmentsCross(surfaceOf(d), a, b, c, e)) return true;
    for (int p : {a, b})
        for (int q : {c, e})
            if (samePlace(pointAt(d, p), pointAt(d, q))) return false;
    auto side = [&](int p, int q, int r) {
        const double o = orient2d(pointAt(d, p).easting, pointAt(d, p).northing, pointAt(d, q).easting,
                                  pointAt(d, q).northing, pointAt(d, r).easting, pointAt(d, r).northing);
        return (o > 0) - (o < 0);
    };
    return side(a, b, c) * side(a, b, e) < 0 && side(c, e, a) * side(c, e, b) < 0;
}

struct BruteForce {
    std::vector<Breakline> list;
    int refusedOnlyNearAnEnd = 0;  // crossings segmentsCross alone lets through
};

// Every chain's neighbouring vertices matched to the first point at their
// place and tested against every breakline accepted before them.
BruteForce bruteForceList(const SiteDocument& d, const std::vector<std::vector<Place>>& chains) {
    BruteForce out;
    auto match = [&](const Place& v) {
        for (int i = 0; i < d.pointCount; ++i)
            if (std::fabs(pointAt(d, i).easting - v.first) < 0.005 &&
                std::fabs(pointAt(d, i).northing - v.second) < 0.005)
                return i;
        return kNoPoint;
    };
    auto usable = [&](int p) {
        return p != kNoPoint && pointAt(d, p).useInSurface && isValidElevation(pointAt(d, p).elevation);
    };
    for (const std::vector<Place>& chain : chains)
        for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
            const int a = match(chain[i]), b = match(chain[i + 1]);
            if (a == b || !usable(a) || !usable(b)) continue;
            bool refused = false, nearEnd = false;
            for (const Breakline& k : out.list) {
                if ((k.a == a && k.b == b) || (k.a == b && k.b == a)) refused = true;
                if (!refused && crossInTest(d, a, b, k.a, k.b)) {
                    refused = true;
                    nearEnd = !segmentsCross(surfaceOf(d), a, b, k.a, k.b);
                }
                if (refused) break;
            }
            out.refusedOnlyNearAnEnd += nearEnd ? 1 : 0;
            if (!refused) out.list.push_back({a, b});
        }
    return out;
}

void expectIndexedListMatchesBruteForce(const std::vector<Place>& places, const std::vector<std::vector<Place>>& chains,
                                        int wantedNearEnd) {
    SiteModel m;
    loadPlaces(m, places);
    for (int i = 0; i < m.document.pointCount; i += 37)
        m.document.points[static_cast<std::size_t>(i)].useInSurface = false;
    const BruteForce expected = bruteForceList(m.document, chains);
    std::vector<std::vector<Vec3>> lines;
    for (const auto& chain : chains) {
        lines.emplace_back();
        for (const Place& v : chain) lines.back().push_back({v.first, v.second, 0.0});
    }
    addBreaklinesFromPolylines(m, lines);
    const std::vector<Breakline>& got = m.document.breaklines.pairs;
    ASSERT_EQ(got.size(), expected.list.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_TRUE(got[i].a == expected.list[i].a && got[i].b == expected.list[i].b) << "breakline " << i;
    EXPECT_GE(expected.refusedOnlyNearAnEnd, wantedNearEnd);
}

TEST(CadLinesAsBreaklines, DecidedAsAgainstEveryAcceptedBreaklineOnRandomData) {
    std::mt19937 random(41);
    std::uniform_real_distribution<double> at(0.0, 100.0), unit(0.0, 1.0);
    std::vector<Place> places;
    for (int i = 0; i < 1500; ++i) places.emplace_back(1000.0 + at(random), 2000.0 + at(random));
    for (int i = 0; i < 100; ++i) {  // blunders: a second shot a few millimetres off
        const Place& p = places[static_cast<std::size_t>(i * 13)];
        places.emplace_back(p.first + 0.003 * unit(random), p.second - 0.003 * unit(random));
    }
    std::vector<std::vector<Place>> chains;
    std::uniform_int_distribution<int> pick(0, 1599), length(2, 5);
    for (int c = 0; c < 1500; ++c) {
        chains.emplace_back();
        Place v = places[static_cast<std::size_t>(pick(random))];
        for (int n = length(random); n > 0; --n) {
            chains.back().push_back(v);
            for (;;) {
                const Place& w = places[static_cast<std::size_t>(pick(random))];
                if (std::hypot(w.first - v.first, w.second - v.second) < 12.0) {
                    v = w;
                    break;
                }
            }
        }
    }
    // Ends placed a few centimetres across a line, near one of its ends.
    for (int c = 0; c < 200; ++c) {
        const auto& chain = chains[static_cast<std::size_t>(c * 7)];
        const Place p = chain[0], q = chain[1];
        const double t = 0.9996, dx = q.first - p.first, dy = q.second - p.second, size = std::hypot(dx, dy);
        if (size == 0.0) continue;
        places.emplace_back(p.first + t * dx - 0.03 * dy / size, p.second + t * dy + 0.03 * dx / size);
        chains.push_back({{places.back().first + 0.5 * dy, places.back().second - 0.5 * dx}, places.back()});
        places.emplace_back(chains.back()[0]);
    }
    expectIndexedListMatchesBruteForce(places, chains, 20);
}

TEST(CadLinesAsBreaklines, DecidedAsAgainstEveryAcceptedBreaklineOnGrids) {
    std::mt19937 random(43);
    // A survey grid: lines along it overlap, touch at grid points and share ends.
    std::vector<Place> places;
    for (int x = 0; x < 30; ++x)
        for (int y = 0; y < 30; ++y) places.emplace_back(500000.0 + 2.0 * x, 4000000.0 + 2.0 * y);
    std::vector<std::vector<Place>> chains;
    std::uniform_int_distribution<int> cell(0, 29), step(-5, 5), length(2, 6);
    for (int c = 0; c < 1200; ++c) {
        chains.emplace_back();
        int x = cell(random), y = cell(random);
        for (int n = length(random); n > 0; --n) {
            chains.back().emplace_back(500000.0 + 2.0 * x, 4000000.0 + 2.0 * y);
            x = std::clamp(x + step(random), 0, 29);
            y = std::clamp(y + step(random), 0, 29);
        }
    }
    expectIndexedListMatchesBruteForce(places, chains, 0);

    // Whole-metre points far apart: long lines that cross near their ends.
    places.clear();
    chains.clear();
    std::uniform_int_distribution<int> metre(0, 3000);
    for (int i = 0; i < 400; ++i) places.emplace_back(metre(random), metre(random));
    std::uniform_int_distribution<int> pick(0, 399);
    for (int c = 0; c < 600; ++c)
        chains.push_back({places[static_cast<std::size_t>(pick(random))], places[static_cast<std::size_t>(pick(random))]});
    expectIndexedListMatchesBruteForce(places, chains, 0);
}

// The positions of the finished surface's vertices, found by scanning the
// triangles: each breakline end stands for the vertex at its place (a point
// left out as a duplicate stands for the one kept).
bool isSurfaceEdgeAtPlaces(const SiteDocument& d, const SurveyPoint& from, const SurveyPoint& to) {
    for (int t = 0; t < d.triangleCount; ++t) {
        const TinTriangle& tri = d.triangles[static_cast<std::size_t>(t)];
        for (int k = 0; k < 3; ++k) {
            const SurveyPoint &p = pointAt(d, tri.vertex[k]), &q = pointAt(d, tri.vertex[(k + 1) % 3]);
            if ((samePlace(p, from) && samePlace(q, to)) || (samePlace(p, to) && samePlace(q, from))) return true;
        }
    }
    return false;
}

std::string dxfLine(const Place& p, const Place& q, double z) {
    auto n = [](double v) { return std::to_string(v); };
    return "  0\nLINE\n  8\n0\n 10\n" + n(p.first) + "\n 20\n" + n(p.second) + "\n 30\n" + n(z) + "\n 11\n" +
           n(q.first) + "\n 21\n" + n(q.second) + "\n 31\n" + n(z + 1.0) + "\n";
}

// A drawing of LINEs only: each LINE gives two points, so the joints of a
// chain of LINEs hold two points at one place, and the surface keeps one.
TEST(CadLinesAsBreaklines, EveryAcceptedLineIsAnEdgeOfTheFinishedSurface) {
    std::mt19937 random(45);
    std::uniform_real_distribution<double> at(0.0, 100.0);
    std::string body;
    for (int i = 0; i < 300; ++i) {  // loose survey shots: lines of no length
        const Place p{at(random), at(random)};
        body += dxfLine(p, p, 10.0 + 0.05 * p.first);
    }
    const std::vector<Place> chain = {{2, 3}, {97, 12}, {15, 55}, {93, 71}, {6, 96}};
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) body += dxfLine(chain[i], chain[i + 1], 20.0);
    // Across the chain's first line 2 cm from its end, and ending 4 cm past it.
    body += dxfLine({60.0, -20.0}, {96.98, 12.04}, 30.0);
    // Across the first line 5 cm from its end and the second 5 cm from its start.
    body += dxfLine({96.95, 8.0}, {96.95, 16.0}, 30.0);
    TempDir dir;
    const std::string path = dir.write("lines.dxf", "  0\nSECTION\n  2\nENTITIES\n" + body + "  0\nENDSEC\n  0\nEOF\n");

    SiteModel m;
    FakeUi ui;
    ui.questionAnswers.push_back(Answer::Yes);
    ASSERT_TRUE(importDxf(m, ui, path, false));
    const SiteDocument& d = m.document;
    EXPECT_EQ(d.breaklines.count(), 4);  // the chain; both crossing lines refused
    runPipelineToCompletion(m, ui);
    ASSERT_TRUE(d.contourStage.done);
    for (const Breakline& k : d.breaklines.pairs)
        EXPECT_TRUE(isSurfaceEdgeAtPlaces(d, pointAt(d, k.a), pointAt(d, k.b))) << k.a << "-" << k.b;
}

// 60,000 LINEs chained into contours, as a large drawing brings them: the
// answer to "Use CAD lines as Breaklines?" must not hold the window up.
TEST(CadLinesAsBreaklines, SixtyThousandLinesGoInQuickly) {
    std::vector<CadLine> lines;
    for (int row = 0; row < 200; ++row)
        for (int k = 0; k < 300; ++k) {
            const double y = 3.0 * row + std::sin(0.1 * k + row);
            const double y2 = 3.0 * row + std::sin(0.1 * (k + 1) + row);
            CadLine line;
            line.vertices = {{1.0 * k, y, 10.0 + row}, {1.0 * k + 1.0, y2, 10.0 + row}};
            lines.push_back(line);
        }
    SiteModel m;
    FakeUi ui;
    storeImportedPoints(m, ui, pointsFromContours(lines));
    std::vector<std::vector<Vec3>> polylines;
    for (const CadLine& line : lines) polylines.push_back(line.vertices);
    const auto start = std::chrono::steady_clock::now();
    addBreaklinesFromPolylines(m, polylines);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(m.document.breaklines.count(), 60000);
    EXPECT_LT(seconds, 5.0);  // a checked build; the release build takes a fraction of this
}

}  // namespace
}  // namespace vellacor::testing
