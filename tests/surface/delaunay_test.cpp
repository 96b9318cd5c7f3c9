// The triangulation itself, without threads or the site model: the Delaunay
// invariants on random, clustered, co-circular and collinear sets, at the
// magnitudes of a survey in kilometres and of copies scaled by 1e-9 and 1e9.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "surface/plan_delaunay.h"
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

}  // namespace
}  // namespace vellacor::testing
