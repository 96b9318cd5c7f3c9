#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "render/frame_buffer.h"
#include "surface/tin_geometry.h"
#include "water/pond_system.h"
#include "water/rain_system.h"
#include "water_support.h"

namespace vellacor {
namespace {

using testing::WaterSite;

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
    computeAllGeometry(d.points, std::span(d.triangles).first(static_cast<std::size_t>(d.triangleCount)));
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
    ASSERT_EQ(planeElevation(site.surface().triangle(drop.triangle), 5.0, 0.0001), kVerticalPlane);
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
