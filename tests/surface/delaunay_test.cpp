// The triangulation itself, without threads or the site model: the Delaunay
// invariants on random, clustered, co-circular and collinear sets, at the
// magnitudes of a survey in kilometres and of copies scaled by 1e-9 and 1e9.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "surface/plan_delaunay.h"
#include "surface/predicates.h"
#include "surface_support.h"

namespace vellacor::testing {
namespace {

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
    for (int n : {3, 4, 5, 7, 20}) expectValidAtEveryScale(triangulateDirect(randomPoints(n, 100 + n)));
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
