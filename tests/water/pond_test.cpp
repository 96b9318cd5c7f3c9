#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "water/pond_report.h"
#include "water/pond_system.h"
#include "water/wave_grid.h"
#include "water_support.h"

namespace vellacor {
namespace {

using testing::WaterSite;

// A pit in the middle of a 5 x 5 grid, a flat patch and a low corner.
TEST(PondDetection, LowPointsAreInsideTheSurfaceAndMayBeFlat) {
    WaterSite site;
    testing::buildSite(site, testing::gridOf(7, 10.0, [](double x, double y) {
                           if (x == 0.0 && y == 0.0) return 90.0;  // a low corner, on the outer edge
                           if (x == 20.0 && y == 20.0) return 95.0;  // a pit
                           if (x >= 40.0 && y >= 30.0 && x <= 50.0 && y <= 40.0) return 98.0;  // a flat patch
                           return 100.0 + 0.1 * (x + y);  // tilted: no other low points
                       }));
    const SurfaceView s = site.surface();
    PondSystem ponds;
    ponds.Build(s);
    EXPECT_FALSE(ponds.IsLowPoint(testing::pointAt(s, 0, 0)));
    EXPECT_TRUE(ponds.IsLowPoint(testing::pointAt(s, 20, 20)));
    for (const auto& [x, y] : {std::pair{40.0, 30.0}, {50.0, 30.0}, {40.0, 40.0}, {50.0, 40.0}})
        EXPECT_TRUE(ponds.IsLowPoint(testing::pointAt(s, x, y))) << x << "," << y;
    EXPECT_FALSE(ponds.IsLowPoint(testing::pointAt(s, 30, 30)));
    EXPECT_EQ(ponds.Count(), 5);
    // The flat patch's four ponds overlap: the merge pass leaves one of them.
    ponds.MergePass();
    EXPECT_EQ(ponds.Count(), 2);
    EXPECT_EQ(ponds.LowPointMarks()[static_cast<std::size_t>(testing::pointAt(s, 20, 20))], 1);
}

// z = k r^2 inside the circle where it meets the plane z = c + s x: the rim
// is lowest where the plane is, and the pond standing there holds
// pi L^2 / (2k).
std::vector<testing::Xyz> bowlCutByPlane(double k, double c, double s, double spacing, int rimCount) {
    const double cx = s / (2.0 * k), radius = std::sqrt(c / k + cx * cx);
    std::vector<testing::Xyz> points;
    for (double x = cx - radius; x <= cx + radius; x += spacing)
        for (double y = -radius; y <= radius; y += spacing)
            if (std::hypot(x - cx, y) < radius - 0.5 * spacing) points.push_back({x, y, k * (x * x + y * y)});
    for (int i = 0; i < rimCount; ++i) {
        const double a = 2.0 * std::numbers::pi * i / rimCount;
        const double x = cx + radius * std::cos(a), y = radius * std::sin(a);
        points.push_back({x, y, c + s * x});
    }
    return points;
}

TEST(PondReport, ABowlFillsToItsLowestRimPointWithTheVolumeOfTheIntegral) {
    constexpr double k = 0.01, c = 100.0, s = 0.5;
    WaterSite site;
    testing::buildSite(site, bowlCutByPlane(k, c, s, 2.0, 400));
    const std::vector<StandingPond> ponds = fillPondsToSpill(site.surface());
    ASSERT_EQ(ponds.size(), 1u);
    double lowestRim = 1e300;
    for (int i = 0; i < site.surface().pointCount; ++i) lowestRim = std::min(lowestRim, site.surface().point(i).elevation);
    const double cx = s / (2.0 * k), radius = std::sqrt(c / k + cx * cx);
    const double level = c + s * (cx - radius);  // the lowest rim vertex, at angle pi
    EXPECT_NEAR(ponds[0].spillElevation, level, 1e-9);
    EXPECT_NEAR(ponds[0].lowElevation, 0.0, 0.05);
    const double integral = std::numbers::pi * level * level / (2.0 * k);
    EXPECT_NEAR(ponds[0].volume, integral, 0.02 * integral);
    EXPECT_NEAR(ponds[0].area, std::numbers::pi * level / k, 0.02 * std::numbers::pi * level / k);
}

// Two bowls 100 + k |p - c|^2 round (-50, 0) and (50, 0), meeting in a
// saddle at (0, 0) of height 125; the grid's sides are further out.
std::vector<testing::Xyz> twoBowls(double left) {
    std::vector<testing::Xyz> points;
    for (double x = left; x <= 120.0; x += 5.0)
        for (double y = -80.0; y <= 80.0; y += 5.0) {
            const double a = (x + 50) * (x + 50) + y * y, b = (x - 50) * (x - 50) + y * y;
            points.push_back({x, y, 100.0 + 0.01 * std::min(a, b)});
        }
    return points;
}

TEST(PondReport, TwoBowlsSpillingAtTheirSaddleMergeAndFillToTheRim) {
    WaterSite site;
    testing::buildSite(site, twoBowls(-120.0));
    const std::vector<StandingPond> ponds = fillPondsToSpill(site.surface());
    ASSERT_EQ(ponds.size(), 1u);
    EXPECT_NEAR(ponds[0].spillElevation, 149.0, 1e-9);  // (+-120, 0): the lowest of the sides
    EXPECT_NEAR(ponds[0].lowElevation, 100.0, 1e-9);
}

TEST(PondReport, TwoBowlsSpillingApartStayTwoPonds) {
    WaterSite site;
    testing::buildSite(site, twoBowls(-80.0));  // the left bowl spills over its near side at 109
    const std::vector<StandingPond> ponds = fillPondsToSpill(site.surface());
    ASSERT_EQ(ponds.size(), 2u);
    EXPECT_NEAR(ponds[0].spillElevation, 125.0, 1e-9);  // deepest first: the right bowl, to the saddle
    EXPECT_NEAR(ponds[1].spillElevation, 109.0, 1e-9);
    const std::string report = pondReport(site.surface(), ponds);
    EXPECT_NE(report.find(" 100.000 125.000 "), std::string::npos) << report;
    EXPECT_NE(report.rfind("ponds: 2\n"), std::string::npos) << report;
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
    for (int frame = 0; frame < 100000 && !ponds.Ponds()[0].full; ++frame) {
        ponds.Ponds()[0].size = 10.0;
        ponds.Rise(s, 0, 100.0);
    }
    const Pond& pond = ponds.Ponds()[0];
    ASSERT_TRUE(pond.full);
    EXPECT_EQ(pond.spillPoint, testing::pointAt(s, 0, 40));  // the lowest point of the outer edge
    EXPECT_GT(pond.level, 100.0);
    EXPECT_LT(pond.level, 100.03);
    const double level = pond.level;
    RainDrop drop;
    drop.triangle = pond.floodedTriangles.front();
    drop.position = {10.0, 40.0, 97.5};
    drop.velocity = {1.0, 0.0, -10.0};
    EXPECT_FALSE(ponds.ContainsDrop(s, 100.0, drop, {}));
    EXPECT_EQ(ponds.Ponds()[0].level, level);  // a full pond takes no more water
    EXPECT_NEAR(drop.position.x, -0.1 * 10.0 / std::hypot(10.0, 2.8), 1e-9);
    EXPECT_NEAR(drop.position.y, 40.0, 1e-9);
    EXPECT_EQ(drop.triangle, pond.spillTriangle);
    EXPECT_NEAR(drop.velocity.z, -1.0, 1e-12);
}

TEST(WaveGrids, AStartedWaveNeverExceeds500AndSpreads) {
    WaveGrids waves;
    for (int i = 0; i < 5; ++i) waves.Start(10.0, 20.0);
    EXPECT_EQ(waves.At(80, 40), 500);
    waves.Step(true);
    EXPECT_EQ(waves.At(81, 40), 243);  // half the sum of the four round it, damped by 1/32
    EXPECT_EQ(waves.At(80, 40), 0);
    // With the rain off a source keeps the water moving.
    WaveGrids calm;
    calm.Step(false);
    calm.Step(false);
    bool moving = false;
    for (int r = 0; r < WaveGrids::kSide && !moving; ++r)
        for (int col = 0; col < WaveGrids::kSide; ++col) moving = moving || calm.At(r, col) != 0;
    EXPECT_TRUE(moving);
}

}  // namespace
}  // namespace vellacor
