// Water on the surface: ponds filled against an independent fill, and rain
// drops falling, sliding and gathering.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <queue>
#include <random>
#include <span>
#include <tuple>
#include <vector>

#include "render/frame_buffer.h"
#include "surface/tin_geometry.h"
#include "water/pond_report.h"
#include "water/pond_system.h"
#include "water/rain_system.h"
#include "water/wave_grid.h"
#include "water_support.h"

namespace vellacor {
namespace {

using testing::WaterSite;
using testing::Xyz;

// ---- An independent fill of a surface, written from first principles ----
//
// The water level of a point is the lowest height at which it is joined to
// the outer edge by a path of edges never higher than that (a priority
// flood from the outer points). Points whose level is above their ground are
// under water; the edges whose ends share a level join water into lakes.

struct Lake {
    double level = 0.0;
    double lowElevation = 1e300;
    double area = 0.0;
    double volume = 0.0;
};

// The wet area and volume of a triangle under water at `level`, in closed
// form from the corners' depths.
void addWetPart(double ax, double ay, double bx, double by, double cx, double cy, std::array<double, 3> depth,
                Lake& lake) {
    const double area = 0.5 * std::fabs((bx - ax) * (cy - ay) - (by - ay) * (cx - ax));
    std::sort(depth.begin(), depth.end(), std::greater<>());
    const double d1 = depth[0], d2 = depth[1], d3 = depth[2];
    if (d1 <= 0.0) return;
    if (d3 >= 0.0) {
        lake.area += area;
        lake.volume += area * (d1 + d2 + d3) / 3.0;
    } else if (d2 <= 0.0) {  // one corner under water
        lake.area += area * d1 * d1 / ((d1 - d2) * (d1 - d3));
        lake.volume += area * d1 * d1 * d1 / (3.0 * (d1 - d2) * (d1 - d3));
    } else {  // one corner dry: the whole less the dry corner's part
        lake.area += area - area * d3 * d3 / ((d1 - d3) * (d2 - d3));
        lake.volume += area * (d1 + d2 + d3) / 3.0 - area * d3 * d3 * d3 / (3.0 * (d1 - d3) * (d2 - d3));
    }
}

std::vector<Lake> independentFill(const SurfaceView& s) {
    const auto n = static_cast<std::size_t>(s.pointCount);
    std::vector<std::vector<int>> links(n);
    std::vector<char> outer(n, 0), used(n, 0);
    for (int t = 0; t < s.triangleCount; ++t)
        for (int k = 0; k < 3; ++k) {
            const int a = s.triangle(t).vertex[k], b = s.triangle(t).vertex[(k + 1) % 3];
            links[static_cast<std::size_t>(a)].push_back(b);
            links[static_cast<std::size_t>(b)].push_back(a);
            used[static_cast<std::size_t>(a)] = 1;
            if (s.triangle(t).neighbour[k] == kNoTriangle) outer[static_cast<std::size_t>(a)] = outer[static_cast<std::size_t>(b)] = 1;
        }
    const auto z = [&](int p) { return s.point(p).elevation; };
    std::vector<double> water(n, 1e300);
    using Entry = std::pair<double, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
    for (std::size_t p = 0; p < n; ++p)
        if (outer[p]) water[p] = z(static_cast<int>(p)), open.push({water[p], static_cast<int>(p)});
    std::vector<char> done(n, 0);
    while (!open.empty()) {
        const auto [w, p] = open.top();
        open.pop();
        if (done[static_cast<std::size_t>(p)]) continue;
        done[static_cast<std::size_t>(p)] = 1;
        for (const int q : links[static_cast<std::size_t>(p)]) {
            const double wq = std::max(w, z(q));
            if (wq < water[static_cast<std::size_t>(q)]) water[static_cast<std::size_t>(q)] = wq, open.push({wq, q});
        }
    }
    // Lakes: points joined through edges of equal level, holding a point under water.
    std::vector<int> lakeOf(n, -1);
    std::vector<Lake> lakes;
    for (std::size_t start = 0; start < n; ++start) {
        if (!used[start] || lakeOf[start] >= 0) continue;
        std::vector<int> stack{static_cast<int>(start)}, members;
        lakeOf[start] = static_cast<int>(lakes.size());
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            members.push_back(p);
            for (const int q : links[static_cast<std::size_t>(p)])
                if (lakeOf[static_cast<std::size_t>(q)] < 0 && water[static_cast<std::size_t>(q)] == water[static_cast<std::size_t>(p)])
                    lakeOf[static_cast<std::size_t>(q)] = lakeOf[start], stack.push_back(q);
        }
        Lake lake;
        lake.level = water[start];
        for (const int p : members)
            if (z(p) < lake.level) lake.lowElevation = std::min(lake.lowElevation, z(p));
        lakes.push_back(lake);
    }
    for (int t = 0; t < s.triangleCount; ++t) {
        const TinTriangle& tri = s.triangle(t);
        int lake = -1;
        std::array<double, 3> depth{};
        for (int k = 0; k < 3; ++k) {
            const auto v = static_cast<std::size_t>(tri.vertex[k]);
            if (water[v] > z(tri.vertex[k])) lake = lakeOf[v];
        }
        if (lake < 0) continue;
        for (int k = 0; k < 3; ++k) depth[static_cast<std::size_t>(k)] = lakes[static_cast<std::size_t>(lake)].level - z(tri.vertex[k]);
        const SurveyPoint &a = s.point(tri.vertex[0]), &b = s.point(tri.vertex[1]), &c = s.point(tri.vertex[2]);
        addWetPart(a.easting, a.northing, b.easting, b.northing, c.easting, c.northing, depth, lakes[static_cast<std::size_t>(lake)]);
    }
    std::erase_if(lakes, [](const Lake& l) { return !(l.volume > 0.0); });
    std::sort(lakes.begin(), lakes.end(), [](const Lake& a, const Lake& b) {
        return std::tie(a.level, a.lowElevation, a.volume) < std::tie(b.level, b.lowElevation, b.volume);
    });
    return lakes;
}

// The report's ponds in the fill's order.
std::vector<StandingPond> byLevel(std::vector<StandingPond> ponds) {
    std::sort(ponds.begin(), ponds.end(), [](const StandingPond& a, const StandingPond& b) {
        return std::tie(a.spillElevation, a.lowElevation, a.volume) < std::tie(b.spillElevation, b.lowElevation, b.volume);
    });
    return ponds;
}

void expectSameAsFill(const SurfaceView& s, const std::string& what) {
    const std::vector<Lake> lakes = independentFill(s);
    const std::vector<StandingPond> ponds = byLevel(fillPondsToSpill(s));
    ASSERT_EQ(ponds.size(), lakes.size()) << what << "\n" << pondReport(s, fillPondsToSpill(s));
    for (std::size_t i = 0; i < lakes.size(); ++i) {
        EXPECT_NEAR(ponds[i].spillElevation, lakes[i].level, 1e-9) << what << " pond " << i;
        EXPECT_NEAR(ponds[i].lowElevation, lakes[i].lowElevation, 1e-9) << what << " pond " << i;
        EXPECT_NEAR(ponds[i].area, lakes[i].area, 1e-6 * std::max(1.0, lakes[i].area)) << what << " pond " << i;
        EXPECT_NEAR(ponds[i].volume, lakes[i].volume, 1e-6 * std::max(1.0, lakes[i].volume)) << what << " pond " << i;
    }
}

// Rain on every pond until none rises: the ponds the window shows.
std::vector<double> rainedOnLevels(const SurfaceView& s) {
    PondSystem ponds;
    ponds.Build(s);
    for (bool rising = true; rising;) {
        rising = false;
        for (int p = 0; p < static_cast<int>(ponds.ponds().size()); ++p) {
            Pond& pond = ponds.ponds()[static_cast<std::size_t>(p)];
            if (pond.full || pond.floodedTriangles.empty()) continue;
            pond.size = 10.0;
            ponds.Rise(s, p, 500.0);  // a step of 0.1 each time
            rising = true;
        }
        ponds.mergePass(s);
    }
    std::vector<double> levels;
    for (const Pond& pond : ponds.ponds())
        if (!pond.floodedTriangles.empty()) levels.push_back(pond.level);
    std::sort(levels.begin(), levels.end());
    return levels;
}

std::vector<Xyz> fromNumberNorthingEasting(const std::vector<std::array<double, 4>>& rows) {
    std::vector<Xyz> points;
    for (const auto& r : rows) points.push_back({r[2], r[1], r[3]});
    return points;
}

TEST(PondReport, TiedElevationsFillToTheLevelWhereTheWaterRunsOff) {
    // A surveyed hollow with elevations to the half metre, ties everywhere.
    WaterSite site;
    testing::buildSite(site, fromNumberNorthingEasting({
        {1, 0, 0, 104.5},   {2, 10, 0, 103},     {3, 20, 0, 104.5},   {4, 30, 0, 103.5},   {5, 40, 0, 105.5},
        {6, 0, 10, 103},    {7, 10, 10, 100.5},  {8, 20, 10, 100},    {9, 30, 10, 102},    {10, 40, 10, 103.5},
        {11, 0, 20, 105.5}, {12, 10, 20, 100.5}, {13, 20, 20, 100.5}, {14, 30, 20, 102.5}, {15, 40, 20, 103},
        {16, 0, 30, 105.5}, {17, 10, 30, 100},   {18, 20, 30, 100.5}, {19, 30, 30, 100.5}, {20, 40, 30, 105},
        {21, 0, 40, 105.5}, {22, 10, 40, 104.5}, {23, 20, 40, 105},   {24, 30, 40, 104.5}, {25, 40, 40, 103.5}}));
    const SurfaceView s = site.surface();
    const std::vector<StandingPond> ponds = fillPondsToSpill(s);
    ASSERT_EQ(ponds.size(), 1u) << pondReport(s, ponds);
    EXPECT_EQ(ponds[0].spillElevation, 103.0);
    EXPECT_EQ(ponds[0].lowElevation, 100.0);
    EXPECT_NEAR(ponds[0].volume, 1558.4, 0.05);
    expectSameAsFill(s, "survey");
    EXPECT_EQ(rainedOnLevels(s), std::vector<double>{103.0});
}

TEST(PondReport, WaterLeavesAtABoundaryAsAtTheHull) {
    // A pit at (10, 10) on a 20 x 20 grid: without boundaries a pond fills it
    // to the lowest hull point, (10, 0) at 110.
    auto pit = [](double x, double y) { return 100.0 + std::fabs(x - 10) + std::fabs(y - 10); };
    WaterSite whole;
    testing::buildSite(whole, testing::gridOf(21, 1.0, pit));
    const std::vector<StandingPond> full = fillPondsToSpill(whole.surface());
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].spillElevation, 110.0);

    // A hole round the pit: the water runs off at the hole's edge.
    WaterSite holed;
    testing::loadPoints(holed.model, testing::gridOf(21, 1.0, pit));
    holed.model.document.boundaries.polygons = {{BoundaryKind::Hide, {{8, 8, 0}, {12, 8, 0}, {12, 12, 0}, {8, 12, 0}}}};
    testing::buildSurface(holed.model);
    EXPECT_TRUE(fillPondsToSpill(holed.surface()).empty()) << pondReport(holed.surface(), fillPondsToSpill(holed.surface()));
    expectSameAsFill(holed.surface(), "holed");

    // An L-shaped survey whose inner corner is the pit: the hull's triangles
    // over the bay hold a pond; trimmed, the corner is on the edge and dry.
    std::vector<Xyz> lShape;
    for (const Xyz& p : testing::gridOf(21, 1.0, pit))
        if (p.x <= 10 || p.y <= 10) lShape.push_back(p);
    WaterSite convex, trimmed;
    testing::buildSite(convex, lShape);
    ASSERT_FALSE(fillPondsToSpill(convex.surface()).empty());
    testing::loadPoints(trimmed.model, lShape);
    trimmed.model.document.boundaries.maxEdgeLength = 1.2;
    testing::buildSurface(trimmed.model);
    EXPECT_TRUE(fillPondsToSpill(trimmed.surface()).empty());
    expectSameAsFill(trimmed.surface(), "trimmed L");
    EXPECT_TRUE(rainedOnLevels(trimmed.surface()).empty());
}

// Cones of radius 15 cut into ground 100 + tilt x that runs out to the
// edge: `bowls` lists (centre x, centre y, depth).
std::vector<Xyz> plateauWithBowls(const std::vector<std::array<double, 3>>& bowls, double tilt = 0.0) {
    return testing::gridOf(21, 5.0, [&](double x, double y) {
        double z = 100.0 + tilt * x;
        for (const auto& [cx, cy, depth] : bowls) {
            const double r = std::hypot(x - cx, y - cy);
            if (r < 15.0) z = std::min(z, 100.0 + tilt * x - depth * (1.0 - r / 15.0));
        }
        return z;
    });
}

TEST(PondReport, PondsMeetingAtALevelAreOnePondAndLevelGroundAtTheWaterLineIsDry) {
    // Two bowls whose rims touch at a point at the plateau's level.
    WaterSite touching;
    testing::buildSite(touching, plateauWithBowls({{35, 50, 8}, {65, 50, 4}}));
    std::vector<StandingPond> ponds = fillPondsToSpill(touching.surface());
    ASSERT_EQ(ponds.size(), 1u) << pondReport(touching.surface(), ponds);
    EXPECT_EQ(ponds[0].spillElevation, 100.0);
    EXPECT_EQ(ponds[0].lowElevation, 92.0);  // the deeper bowl's bottom, whichever was found first
    expectSameAsFill(touching.surface(), "touching");
    // The area is the two bowls' wet ground (out to the grid points round
    // them), not the level plateau of 10,000 round them.
    EXPECT_LT(ponds[0].area, 2.0 * std::numbers::pi * 20.0 * 20.0);
    EXPECT_GT(ponds[0].area, 2.0 * 0.5 * std::numbers::pi * 10.0 * 10.0);

    // Far apart on sloping ground, they stay two ponds.
    WaterSite apart;
    testing::buildSite(apart, plateauWithBowls({{20, 20, 3}, {80, 80, 6}}, 0.02));
    ponds = fillPondsToSpill(apart.surface());
    ASSERT_EQ(ponds.size(), 2u) << pondReport(apart.surface(), ponds);
    EXPECT_NEAR(ponds[0].lowElevation, 101.6 - 6.0, 1e-9);  // deepest first
    expectSameAsFill(apart.surface(), "apart");
}

TEST(PondReport, NestedBowlsJoinAtTheirSaddleAndRiseToTheOuterRim) {
    // Two pits of different depth in one basin whose rim is at 110, lowest at one edge point.
    WaterSite site;
    testing::buildSite(site, testing::gridOf(21, 5.0, [](double x, double y) {
                           const double basin = 100.0 + 0.004 * ((x - 50) * (x - 50) + (y - 50) * (y - 50));
                           double z = std::min(basin, 110.0);
                           if (std::hypot(x - 35, y - 50) < 6) z = 96.0;
                           if (std::hypot(x - 65, y - 50) < 6) z = 93.5;
                           if (x == 100.0 && y == 50.0) z = 105.0;  // the outlet
                           return z;
                       }));
    const SurfaceView s = site.surface();
    const std::vector<StandingPond> ponds = fillPondsToSpill(s);
    ASSERT_EQ(ponds.size(), 1u) << pondReport(s, ponds);
    EXPECT_EQ(ponds[0].lowElevation, 93.5);
    // The lowest point is the reported one, not the first pond found.
    EXPECT_EQ(s.point(ponds[0].lowPoint).elevation, 93.5);
    expectSameAsFill(s, "nested");
    EXPECT_EQ(rainedOnLevels(s).size(), 1u);
}

TEST(PondReport, RandomTiedSurfacesAgreeWithAnIndependentFill) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        const bool grid = seed % 2 == 0;
        std::uniform_real_distribution<double> ground(0.0, 6.0);
        std::vector<Xyz> points;
        if (grid) {
            // Elevations quantised to the half metre on a grid: ties and level edges everywhere.
            points = testing::gridOf(18, 10.0, [&](double, double) { return 100.0 + std::round(2.0 * ground(random)) / 2.0; });
        } else {
            std::uniform_real_distribution<double> place(0.0, 200.0);
            for (int i = 0; i < 300; ++i) points.push_back({place(random), place(random), 100.0 + std::round(ground(random))});
        }
        WaterSite site;
        testing::buildSite(site, points);
        const SurfaceView s = site.surface();
        expectSameAsFill(s, "seed " + std::to_string(seed));
        // Rain until every pond spills: the window's ponds stand at the report's levels.
        std::vector<double> expected;
        for (const StandingPond& p : fillPondsToSpill(s)) expected.push_back(p.spillElevation);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(rainedOnLevels(s), expected) << "seed " << seed;
    }
}

TEST(PondRise, AFullPondStopsAtTheOuterEdgeAndSendsDropsOnPastItsSpillPoint) {
    WaterSite site;
    // A trough open at its lower end: the water leaves over the outer edge there.
    testing::buildSite(site, testing::gridOf(9, 10.0, [](double x, double y) {
                           return 100.0 + 0.05 * std::fabs(y - 40.0) * std::fabs(y - 40.0) + 0.02 * x -
                                  (x == 10.0 && y == 40.0 ? 3.0 : 0.0);
                       }));
    const SurfaceView s = site.surface();
    PondSystem ponds;
    ponds.Build(s);
    ASSERT_EQ(ponds.Count(), 1);
    EXPECT_TRUE(ponds.IsLowPoint(testing::pointAt(s, 10, 40)));
    EXPECT_FALSE(ponds.IsLowPoint(testing::pointAt(s, 0, 0)));  // on the outer edge
    for (int frame = 0; frame < 100000 && !ponds.ponds()[0].full; ++frame) {
        ponds.ponds()[0].size = 10.0;
        ponds.Rise(s, 0, 100.0);
    }
    const Pond& pond = ponds.ponds()[0];
    ASSERT_TRUE(pond.full);
    EXPECT_EQ(pond.spillPoint, testing::pointAt(s, 0, 40));  // the lowest point of the outer edge
    EXPECT_EQ(pond.level, 100.0);
    RainDrop drop;
    drop.triangle = pond.floodedTriangles.front();
    drop.position = {10.0, 40.0, 97.5};
    drop.velocity = {1.0, 0.0, -10.0};
    EXPECT_FALSE(ponds.ContainsDrop(s, 100.0, drop, {}));
    EXPECT_EQ(ponds.ponds()[0].level, 100.0);  // a full pond takes no more water
    EXPECT_NEAR(drop.position.x, -0.1 * 10.0 / std::hypot(10.0, 2.8), 1e-9);
    EXPECT_NEAR(drop.position.y, 40.0, 1e-9);
    EXPECT_EQ(drop.triangle, pond.spillTriangle);
    EXPECT_NEAR(drop.velocity.z, -1.0, 1e-12);
}

TEST(WaveGrids, AStartedWaveNeverExceeds500AndSpreads) {
    WaveGrids waves;
    for (int i = 0; i < 5; ++i) waves.start(10.0, 20.0);
    EXPECT_EQ(waves.at(80, 40), 500);
    waves.step(true);
    EXPECT_EQ(waves.at(81, 40), 243);  // half the sum of the four round it, damped by 1/32
    EXPECT_EQ(waves.at(80, 40), 0);
    // With the rain off a source keeps the water moving.
    WaveGrids calm;
    calm.step(false);
    calm.step(false);
    bool moving = false;
    for (int r = 0; r < WaveGrids::kSide && !moving; ++r)
        for (int col = 0; col < WaveGrids::kSide; ++col) moving = moving || calm.at(r, col) != 0;
    EXPECT_TRUE(moving);
}

RainGround groundOf(const WaterSite& site) {
    return {site.surface(), site.model.document.siteCentre, site.model.document.siteSize};
}

// A plane falling towards +x, 100 x 100, with a pit at (50, 50).
void buildSlope(WaterSite& site, double fall = 0.2, double pit = 5.0) {
    testing::buildSite(site, testing::gridOf(11, 10.0, [fall, pit](double x, double y) {
                           return 100.0 - fall * x - (x == 50.0 && y == 50.0 ? pit : 0.0);
                       }));
}

// Drop 0 of `rain`, placed at `at` with `velocity` on the triangle under it, with its whole life ahead.
RainDrop& placeDrop(RainSystem& rain, const WaterSite& site, const Vec3& at, const Vec3& velocity) {
    RainDrop& drop = rain.drops()[0];
    drop.position = drop.previousPosition = at;
    drop.velocity = velocity;
    drop.triangle = drop.previousTriangle = locateTriangle(site.surface(), 0, at.x, at.y);
    drop.life = 60.0;
    return drop;
}

// Rain scattered over the slope, from the given seed.
struct RainOnASlope : ::testing::Test {
    WaterSite site;
    RainSystem rain{3};
    RainGround ground;

    void SetUp() override { start(3); }
    void start(std::uint32_t seed) {
        buildSlope(site);
        rain = RainSystem(seed);
        ground = groundOf(site);
        rain.SetSpawnMode(SpawnMode::Scatter, ground);
    }
};

TEST_F(RainOnASlope, SwitchingOnStartsTheFewestDropsOverTheSurface) {
    start(7);
    EXPECT_EQ(rain.ActiveCount(), 5000);
    EXPECT_EQ(rain.drops().size(), 100001u);
    const RainDrop first = rain.drops()[0];
    EXPECT_NE(first.triangle, kNoTriangle);
    EXPECT_GE(first.position.z, 100.0 - 20.0 + 0.4 * ground.size);  // 0.4 S to 0.9 S over the ground
    rain.Step(ground, 1.0 / 30.0, {});
    rain.Step(ground, 1.0 / 30.0, {});
    Vec3 position;
    int triangle = 0;
    ASSERT_TRUE(rain.GetDrop(0, position, triangle));
    EXPECT_LT(position.z, first.position.z);
    EXPECT_FALSE(rain.GetDrop(5000, position, triangle));
}

TEST_F(RainOnASlope, TheGovernorKeepsTheCountBetweenItsBounds) {
    start(1);
    // Each drop's life names it: a copy carries its source's on, and the source starts again.
    for (std::size_t i = 0; i < 5000; ++i) rain.drops()[i].life = 10.0 + 1e-3 * static_cast<double>(i);
    rain.AdaptCount(1.0 / 60.0, ground);
    const auto copies = static_cast<std::size_t>(rain.ActiveCount() - 5000);
    ASSERT_GE(copies, 14u);
    for (std::size_t i = 0; i < copies; ++i) {
        EXPECT_EQ(rain.drops()[5000 + i].life, 10.0 + 1e-3 * static_cast<double>(i + 1)) << i;
        EXPECT_EQ(rain.drops()[i + 1].life, 60.0) << i;
    }
    EXPECT_EQ(rain.drops()[0].life, 10.0);  // the RainCam's drop is never copied away
    for (int i = 0; i < 99; ++i) rain.AdaptCount(1.0 / 60.0, ground);
    const int grown = rain.ActiveCount();
    EXPECT_GT(grown, 6000);
    rain.AdaptCount(1.0 / 30.0, ground);
    EXPECT_EQ(rain.ActiveCount(), grown);
    rain.AdaptCount(1.0 / 20.0, ground);
    EXPECT_EQ(rain.ActiveCount(), static_cast<int>(grown * 0.99));
    for (int i = 0; i < 200; ++i) rain.AdaptCount(1.0 / 20.0, ground);
    EXPECT_EQ(rain.ActiveCount(), 5000);
    for (int i = 0; i < 5000; ++i) rain.AdaptCount(1.0 / 1000.0, ground);
    EXPECT_EQ(rain.ActiveCount(), 100000);
}

// Once a second the drops are laid out again in the order of the faces under
// them: none may be lost or doubled, and drop 0, which the RainCam rides,
// must stay drop 0.
TEST_F(RainOnASlope, LayingTheDropsOutAgainKeepsEveryDropAndTheRainCamsOwn) {
    start(5);
    constexpr double kFrame = 1.0 / 30.0;
    // Over these frames the rain is still falling or has just landed: no drop
    // starts again, so every drop's record must come through each step.
    for (int frame = 0; frame < 70; ++frame) {
        // Each live drop's life names it for one step.
        const std::span<RainDrop> drops = rain.drops().first(static_cast<std::size_t>(rain.ActiveCount()));
        std::vector<double> names;
        for (std::size_t i = 0; i < drops.size(); ++i) {
            drops[i].life = 50.0 - static_cast<double>(i) * 1e-3;
            names.push_back(drops[i].life - kFrame);
        }
        rain.Step(ground, kFrame, {});
        ASSERT_EQ(drops[0].life, names[0]) << "frame " << frame;
        std::vector<double> stepped;
        for (const RainDrop& d : drops) stepped.push_back(d.life);
        std::sort(names.begin(), names.end());
        std::sort(stepped.begin(), stepped.end());
        ASSERT_EQ(stepped, names) << "frame " << frame;
    }
}

struct LevelGround : ::testing::Test {
    WaterSite site;
    RainSystem rain{3};
    RainGround ground;

    void SetUp() override {
        buildSlope(site, 0.0, 0.0);
        ground = groundOf(site);
        rain.SetSpawnMode(SpawnMode::Scatter, ground);
    }
    RainDrop& dropOnGround(const Vec3& velocity) { return placeDrop(rain, site, {30.0, 30.0, 100.0}, velocity); }
};

TEST_F(LevelGround, ADropOnALevelFaceComesToRestAndStartsAgain) {
    RainDrop& drop = dropOnGround({2.0, 1.0, 0.0});
    int frame = 0;
    double lastLife = drop.life;
    for (; frame < 1800; ++frame) {
        rain.Step(ground, 1.0 / 30.0, {});
        if (drop.life > lastLife) break;  // started again
        lastLife = drop.life;
        EXPECT_NEAR(drop.position.z, 100.0, 1e-9);
    }
    EXPECT_LT(frame, 600);  // at rest within 20 seconds, long before its life ends
}

TEST_F(LevelGround, DropsFollowTheGroundWhenItIsRaisedWhereItLies) {
    RainDrop& drop = dropOnGround({0.5, 0.0, 0.0});
    rain.Step(ground, 1.0 / 30.0, {});
    ASSERT_NEAR(drop.position.z, 100.0, 1e-9);
    SiteDocument& d = site.model.document;
    for (int i = 0; i < d.pointCount; ++i) d.points[static_cast<std::size_t>(i)].elevation += 10.0;
    rain.surfaceReshaped();
    rain.Step(ground, 1.0 / 30.0, {});
    EXPECT_NEAR(drop.position.z, 110.0, 1e-9);
}

TEST_F(RainOnASlope, ADropSlidingOffTheOuterEdgeNearlyStopsThere) {
    RainDrop& drop = placeDrop(rain, site, {99.5, 50.0, 100.0 - 0.2 * 99.5}, {30.0, 0.0, -6.0});
    rain.Step(ground, 1.0 / 30.0, {});
    EXPECT_EQ(drop.triangle, kNoTriangle);
    EXPECT_NEAR(drop.velocity.x, 30.0 * 0.05, 1e-9);
    EXPECT_NEAR(drop.position.z, 100.0 - 0.2 * 99.5, 1e-9);
}

// A face standing upright in plan (a sliver under a cliff) gives no ground to
// land on: a drop over it falls on, and is not lifted to the height that
// stands in for an upright plane's.
TEST(RainSystem, ADropOverAnUprightFaceFallsOn) {
    WaterSite site;
    testing::setSurface(site.model, {{0.0, 0.0, 0.0}, {10.0, 0.0, 0.0}, {5.0, 0.0005, 1000.0}, {5.0, -10.0, 0.0}},
                        {{0, 1, 2}, {0, 3, 1}});
    RainSystem rain(3);
    const RainGround ground = groundOf(site);
    rain.SetSpawnMode(SpawnMode::Scatter, ground);
    RainDrop& drop = placeDrop(rain, site, {5.0, 0.0001, 1500.0}, {0.0, 0.0, -30.0});
    ASSERT_NE(drop.triangle, kNoTriangle);
    ASSERT_EQ(planeElevation(site.surface(), drop.triangle, 5.0, 0.0001), kVerticalPlane);
    rain.Step(ground, 1.0 / 30.0, {});
    EXPECT_LT(drop.position.z, 1500.0);
    EXPECT_GT(drop.position.z, 1400.0);
}

TEST_F(RainOnASlope, ALongPauseMovesADropByATenthOfASecond) {
    RainDrop& drop = rain.drops()[0];
    const Vec3 before = drop.position;
    const Vec3 velocity = drop.velocity;
    rain.Step(ground, 5.0, {});
    EXPECT_NEAR(drop.position.x, before.x + 0.1 * velocity.x, 1e-9);
    EXPECT_NEAR(drop.position.z, before.z + 0.1 * velocity.z, 1e-9);
    EXPECT_NEAR(drop.velocity.z, velocity.z + 0.1 * rainGravity(ground.size), 1e-9);
}

TEST(RainSystem, PouringSpoutsEveryDropFromTheGroundUnderTheCursorTheSameWayEachTime) {
    WaterSite site;
    buildSlope(site);
    const RainGround ground = groundOf(site);
    const Vec3 cursor{30.0, 40.0, 94.0};
    RainSystem first(7), second(7);
    first.SetSpawnMode(SpawnMode::Pour, ground, cursor);
    second.SetSpawnMode(SpawnMode::Pour, ground, cursor);
    // The first few drops leave from where the pour began; then all from the cursor.
    const int cursorTriangle = locateTriangle(site.surface(), 0, cursor.x, cursor.y);
    for (std::size_t i = 11; i < 200; ++i) {
        const RainDrop& d = first.drops()[i];
        EXPECT_EQ(d.position.x, cursor.x) << i;
        EXPECT_EQ(d.position.y, cursor.y) << i;
        EXPECT_EQ(d.triangle, cursorTriangle) << i;
        EXPECT_GT(d.velocity.z, 0.0) << i;  // spouted upwards
    }
    EXPECT_NE(first.drops()[20].velocity.x, first.drops()[21].velocity.x);  // a fountain, not a jet
    for (int frame = 0; frame < 30; ++frame) {
        first.Step(ground, 1.0 / 30.0, {}, cursor);
        second.Step(ground, 1.0 / 30.0, {}, cursor);
    }
    for (std::size_t i = 0; i < 5000; ++i) {
        ASSERT_EQ(first.drops()[i].position.x, second.drops()[i].position.x) << i;
        ASSERT_EQ(first.drops()[i].position.z, second.drops()[i].position.z) << i;
    }
}

TEST_F(RainOnASlope, PondsTakeInDropsOnlyWhenShown) {
    PondSystem ponds;
    ponds.Build(site.surface());
    ASSERT_EQ(ponds.Count(), 1);
    // The pit at 85 fills to 86.
    while (ponds.ponds()[0].level < 86.0) {
        ponds.ponds()[0].size = 10.0;
        ponds.Rise(site.surface(), 0, 100.0);
    }
    auto dropIntoPit = [&] { placeDrop(rain, site, {50.5, 50.2, 85.9}, {0.0, 0.0, -5.0}); };
    dropIntoPit();
    rain.Step(ground, 1.0 / 30.0, {});
    EXPECT_LT(rain.drops()[0].position.z, 86.0);  // passed through, on down the pit
    const double level = ponds.ponds()[0].level;
    dropIntoPit();
    rain.Step(ground, 1.0 / 30.0, PondContact{&ponds, {}});
    EXPECT_GT(rain.drops()[0].position.z, 110.0);  // taken in, and falling again from the spawn height
    EXPECT_GT(ponds.ponds()[0].level, level);
}

}  // namespace
}  // namespace vellacor
