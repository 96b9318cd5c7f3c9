// The cut/fill view's colours and zero line on the small grid surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/cut_fill_draw.h"
#include "render/palette.h"
#include "support/grid_surface.h"

namespace vellacor {
namespace {

struct Pieces : ContourLineSink {
    std::vector<std::pair<Vec3, Vec3>> lines;
    void line(const Vec3& from, const Vec3& to, std::uint8_t) override { lines.push_back({from, to}); }
};

// The difference as a function of plan x at every grid point.
template <class F>
std::vector<double> differenceBy(const SiteDocument& d, F f) {
    std::vector<double> out;
    for (int i = 0; i < d.pointCount; ++i) out.push_back(f(d.points[static_cast<std::size_t>(i)].easting));
    return out;
}

double planLength(const Pieces& p) {
    double total = 0;
    for (const auto& [a, b] : p.lines) total += std::hypot(b.x - a.x, b.y - a.y);
    return total;
}

TEST(CutFillDraw, ZeroLineCrossesWhereTheDifferenceDoesOnceAlongTiedCorners) {
    SiteDocument d;
    testing::makeGridSurface(d);
    const SurfaceView surface = surfaceOf(d);

    Pieces between;  // d = x - 15: a straight line between the grid's columns
    traceZeroLine(surface, differenceBy(d, [](double x) { return x - 15; }), between, 0);
    EXPECT_EQ(between.lines.size(), 6u);
    for (const auto& [a, b] : between.lines) {
        EXPECT_DOUBLE_EQ(a.x, 15.0);
        EXPECT_DOUBLE_EQ(b.x, 15.0);
    }
    EXPECT_NEAR(planLength(between), 30.0, 1e-12);
    // The line lies on the site, halfway up the ridge's flank at x = 15.
    const auto& [a, b] = between.lines.front();
    EXPECT_NEAR(a.z - (100.0 + 4.0 + 0.5 * (a.y / 10) * (a.y / 10)), 0.0, 0.5 * 1.0);

    Pieces tied;  // d = x - 10: zero on a whole column of corners, drawn there once
    traceZeroLine(surface, differenceBy(d, [](double x) { return x - 10; }), tied, 0);
    EXPECT_NEAR(planLength(tied), 30.0, 1e-12);
    for (const auto& [p, q] : tied.lines) EXPECT_TRUE(p.x == 10.0 && q.x == 10.0);

    Pieces blunder;  // a corner with no comparison: its triangles carry no line
    std::vector<double> holed = differenceBy(d, [](double x) { return x - 15; });
    holed[1] = std::nan("");
    traceZeroLine(surface, holed, blunder, 0);
    EXPECT_EQ(blunder.lines.size(), 4u);
}

TEST(CutFillDraw, ShadesRunFromDeepestFillToDeepestCutAndGreyOffTheComparison) {
    SiteDocument d;
    testing::makeGridSurface(d);
    const SurfaceView surface = surfaceOf(d);
    std::vector<double> diff = differenceBy(d, [](double x) { return x - 15; });  // -15 .. 15
    diff[15] = std::nan("");  // the corner (30, 30)
    std::vector<TriangleShade> shades(static_cast<std::size_t>(surface.triangleCount));
    cutFillShade(surface, diff, 10.0, shades);
    for (int i = 0; i < surface.triangleCount; ++i) {
        const TinTriangle& t = surface.triangle(i);
        const bool holed = t.vertex[0] == 15 || t.vertex[1] == 15 || t.vertex[2] == 15;
        for (int k = 0; k < 3; ++k) {
            const double x = d.points[static_cast<std::size_t>(t.vertex[k])].easting;
            const double expected = holed ? kCutFillNeutralColour
                                          : std::clamp(kCutFillZeroShade + (x - 15) / 10 * 99.5, 16.0, 215.0);
            EXPECT_DOUBLE_EQ(shades[static_cast<std::size_t>(i)].shade[k], expected) << i << " " << k;
        }
    }
    // Cut is red, fill blue, zero pale, in the palette the view shows.
    const Palette& p = cutFillPalette();
    EXPECT_GT(redOf(p[kCutFillRampLast]), 2 * blueOf(p[kCutFillRampLast]));
    EXPECT_GT(blueOf(p[kSurfaceRampFirst]), 2 * redOf(p[kSurfaceRampFirst]));
    EXPECT_GT(greenOf(p[115]), 200);
}

}  // namespace
}  // namespace vellacor
