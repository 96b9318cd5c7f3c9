// The orientation and in-circle signs against exact integer arithmetic, on
// configurations where plain floating point gets them wrong.
#include "surface/predicates.h"

#include <gtest/gtest.h>

#include <random>

namespace vellacor {
namespace {

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
}  // namespace vellacor
