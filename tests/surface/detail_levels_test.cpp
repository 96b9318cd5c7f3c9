#include "surface/detail_levels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

#include "surface_support.h"

namespace vellacor {
namespace {

using testing::SurfaceSite;
using testing::Xyz;

// Rolling ground with a little noise: every version departs from it a little.
std::vector<Xyz> rollingGround(int count, std::uint32_t seed) {
    std::vector<Xyz> points = testing::randomPoints(count, seed);
    std::mt19937 random(seed + 1);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    for (Xyz& p : points) {
        const double x = p.x - 500000.0, y = p.y - 4000000.0;
        p.z = 120.0 + 15.0 * std::sin(x / 140.0) * std::cos(y / 190.0) + noise(random);
    }
    return points;
}

struct DetailFixture : ::testing::Test {
    SurfaceSite site;
    DetailSurface detail;

    void build(const std::vector<Xyz>& points) {
        testing::loadPoints(site, points);
        testing::buildSurface(site);
        std::atomic<bool> cancelled{false};
        std::atomic<double> progress{0.0};
        ASSERT_TRUE(buildDetailSurface(surfaceOf(site.document), detail, JobControl(cancelled, progress), 1));
    }
    SurfaceView whole() const { return surfaceOf(site.document); }
    const SurveyPoint& point(int i) const { return site.document.points[static_cast<std::size_t>(i)]; }

    bool covers(const std::array<std::int32_t, 3>& t, double x, double y) const {
        auto side = [&](int a, int b) {
            return (point(b).easting - point(a).easting) * (y - point(a).northing) -
                   (point(b).northing - point(a).northing) * (x - point(a).easting);
        };
        return side(t[0], t[1]) >= 0 && side(t[1], t[2]) >= 0 && side(t[2], t[0]) >= 0;
    }
    std::array<std::int32_t, 3> cornersOf(const DetailLevel& level, std::int32_t t) const {
        if (!level.corners.empty()) {
            const auto& c = level.corners[static_cast<std::size_t>(t)];
            auto of = [&](std::int32_t v) { return level.pointOf[static_cast<std::size_t>(v)]; };
            return {of(c[0]), of(c[1]), of(c[2])};
        }
        const TinTriangle& own = site.document.triangles[static_cast<std::size_t>(t)];
        return {own.vertex[0], own.vertex[1], own.vertex[2]};
    }
    // The triangle of `level` listed for `tile` that holds (x, y), if any.
    std::optional<std::array<std::int32_t, 3>> holding(const DetailLevel& level, std::size_t tile, double x,
                                                       double y) const {
        for (std::int32_t i = level.homeStart[tile]; i < level.homeStart[tile + 1]; ++i)
            if (const auto c = cornersOf(level, level.homeTriangles[static_cast<std::size_t>(i)]); covers(c, x, y)) return c;
        for (std::int32_t i = level.visitStart[tile]; i < level.visitStart[tile + 1]; ++i)
            if (const auto c = cornersOf(level, level.visitTriangles[static_cast<std::size_t>(i)]); covers(c, x, y)) return c;
        return std::nullopt;
    }
};

TEST_F(DetailFixture, EveryVersionHoldsTheSurfacesPointsWithinItsErrorAndLeavesNoGapBetweenTiles) {
    build(rollingGround(150'000, 3));
    ASSERT_GE(detail.levels.size(), 2u);
    EXPECT_TRUE(detail.madeFrom(whole()));
    const DetailLevel& coarse = detail.levels[1];
    EXPECT_LT(coarse.corners.size(), static_cast<std::size_t>(site.document.triangleCount) / 3);

    // Each point of the whole surface away from the site's edge lies within
    // its tile's error of the coarser version.
    int measured = 0;
    for (int p = 0; p < site.document.pointCount; p += 7) {
        const SurveyPoint& q = point(p);
        if (std::fabs(q.easting - 500500.0) > 450.0 || std::fabs(q.northing - 4000500.0) > 450.0) continue;
        const auto tile = static_cast<std::size_t>(detail.tiling.tileAt(q.easting, q.northing));
        const auto t = holding(coarse, tile, q.easting, q.northing);
        ASSERT_TRUE(t) << "point " << p << " is on no triangle of its tile";
        const SurveyPoint &a = point((*t)[0]), &b = point((*t)[1]), &c = point((*t)[2]);
        const double area = (b.easting - a.easting) * (c.northing - a.northing) - (b.northing - a.northing) * (c.easting - a.easting);
        const double wb = ((q.easting - a.easting) * (c.northing - a.northing) - (q.northing - a.northing) * (c.easting - a.easting)) / area;
        const double wc = ((b.easting - a.easting) * (q.northing - a.northing) - (b.northing - a.northing) * (q.easting - a.easting)) / area;
        const double z = a.elevation + wb * (b.elevation - a.elevation) + wc * (c.elevation - a.elevation);
        EXPECT_LE(std::fabs(z - q.elevation), coarse.error[tile] + 1e-6) << "point " << p;
        ++measured;
    }
    EXPECT_GT(measured, 10'000);

    // Tiles drawn from different versions, or not at all, side by side: every
    // place in a drawn tile is covered by a listed triangle of its version.
    DetailFrame frame;
    std::mt19937 random(5);
    frame.tileLevel.resize(static_cast<std::size_t>(detail.tiling.count()));
    for (std::int8_t& level : frame.tileLevel) level = static_cast<std::int8_t>(static_cast<int>(random() % 3) - 1);
    listDetailTriangles(detail, whole(), frame);
    std::set<std::array<std::int32_t, 3>> listed;
    auto pointOf = [&](std::int32_t copy) { return frame.points[static_cast<std::size_t>(copy)]; };
    for (const TinTriangle& t : frame.triangles) listed.insert({pointOf(t.vertex[0]), pointOf(t.vertex[1]), pointOf(t.vertex[2])});
    for (std::size_t i = 0; i < frame.points.size(); ++i)
        EXPECT_EQ(frame.copies[i].elevation, point(frame.points[i]).elevation);
    const std::set<std::int32_t> listedPoints(frame.points.begin(), frame.points.end());
    std::uniform_real_distribution<double> across(500000.5, 500999.5), up(4000000.5, 4000999.5);
    for (int sample = 0; sample < 4000; ++sample) {
        const double x = across(random), y = up(random);
        const auto tile = static_cast<std::size_t>(detail.tiling.tileAt(x, y));
        if (frame.tileLevel[tile] < 0) continue;
        const auto t = holding(detail.levels[static_cast<std::size_t>(frame.tileLevel[tile])], tile, x, y);
        ASSERT_TRUE(t) << x << " " << y;
        EXPECT_TRUE(listed.count(*t)) << "a gap at " << x << " " << y;
        for (const std::int32_t v : *t) EXPECT_TRUE(listedPoints.count(v));
    }
}

TEST_F(DetailFixture, VersionsLeaveTheGapsBoundariesCutEmptyAndSmallSurfacesHaveNone) {
    // A round hole 300 m across cut out of the middle of the site.
    std::vector<Xyz> points = rollingGround(150'000, 9);
    testing::loadPoints(site, points);
    testing::buildSurface(site);
    SiteDocument& d = site.document;
    auto inHole = [&](double x, double y, double radius) { return std::hypot(x - 500500.0, y - 4000500.0) < radius; };
    std::vector<int> kept(d.triangles.size(), -1);
    std::vector<TinTriangle> trimmed;
    for (std::size_t t = 0; t < d.triangles.size(); ++t) {
        const TinTriangle& tri = d.triangles[t];
        double x = 0, y = 0;
        for (const std::int32_t v : tri.vertex) x += point(v).easting / 3.0, y += point(v).northing / 3.0;
        if (inHole(x, y, 150.0)) continue;
        kept[t] = static_cast<int>(trimmed.size());
        trimmed.push_back(tri);
    }
    for (TinTriangle& tri : trimmed)
        for (std::int32_t& n : tri.neighbour) n = n < 0 ? kNoTriangle : kept[static_cast<std::size_t>(n)] < 0 ? kNoTriangle : kept[static_cast<std::size_t>(n)];
    d.triangles = std::move(trimmed);
    d.triangleCount = static_cast<int>(d.triangles.size());

    std::atomic<bool> cancelled{false};
    std::atomic<double> progress{0.0};
    ASSERT_TRUE(buildDetailSurface(whole(), detail, JobControl(cancelled, progress), 1));
    ASSERT_GE(detail.levels.size(), 2u);
    for (std::size_t i = 0; i < detail.levels[1].corners.size(); ++i) {
        const auto t = cornersOf(detail.levels[1], static_cast<std::int32_t>(i));
        const double x = (point(t[0]).easting + point(t[1]).easting + point(t[2]).easting) / 3.0;
        const double y = (point(t[0]).northing + point(t[1]).northing + point(t[2]).northing) / 3.0;
        EXPECT_FALSE(inHole(x, y, 150.0 - 4.0 * detail.levels[1].spacing)) << x << " " << y;
    }

    // Below the threshold nothing is made, and nothing is drawn from it.
    DetailSurface none;
    ASSERT_TRUE(buildDetailSurface(whole(), none, JobControl(cancelled, progress)));
    EXPECT_TRUE(none.levels.empty());
    EXPECT_FALSE(none.madeFrom(whole()));
}

}  // namespace
}  // namespace vellacor
