// Draping plan lines onto surfaces.
#include "surface/drape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <random>

#include "surface/drape_lines.h"
#include "surface/tin_geometry.h"
#include "surface_support.h"

// Surfaces with dips, notches and blunders, each face a plane: every draped
// point is checked against the height found by brute force over all faces,
// and every vertex the line passes must be among the draped points.
namespace vellacor::testing {
namespace {

// The face that holds (x, y) most deeply, by barycentric weights over every
// triangle, and its height there; nothing when no face holds it.
std::optional<double> heightByBruteForce(const SiteDocument& d, double x, double y) {
    double bestDepth = -1e-9, height = 0;
    bool found = false;
    for (int t = 0; t < d.triangleCount; ++t) {
        const TinTriangle& tri = d.triangles[static_cast<std::size_t>(t)];
        const SurveyPoint* p[3];
        for (int k = 0; k < 3; ++k) p[k] = &d.points[static_cast<std::size_t>(tri.vertex[k])];
        const double area = (p[1]->easting - p[0]->easting) * (p[2]->northing - p[0]->northing) -
                            (p[2]->easting - p[0]->easting) * (p[1]->northing - p[0]->northing);
        if (area == 0) continue;
        double w[3], z = 0, depth = 1;
        for (int k = 0; k < 3; ++k) {
            const SurveyPoint& a = *p[(k + 1) % 3];
            const SurveyPoint& b = *p[(k + 2) % 3];
            w[k] = ((b.easting - a.easting) * (y - a.northing) - (x - a.easting) * (b.northing - a.northing)) / area;
            z += w[k] * p[k]->elevation;
            depth = std::min(depth, w[k]);
        }
        if (depth > bestDepth) bestDepth = depth, height = z, found = true;
    }
    return found ? std::optional<double>(height) : std::nullopt;
}

// Drapes (x0, y0) -> (x1, y1) and checks the result against brute force:
// points in order along the line, each on the surface at its true height
// (or a gap mark off it), and a point at every vertex on the segment.
std::vector<Vec3> drapeAndCheck(const SurfaceSite& model, double x0, double y0, double x1, double y1) {
    const SiteDocument& d = model.document;
    std::vector<Vec3> out;
    const int count = drapeSegment(surfaceOf(d), x0, y0, x1, y1, out);
    EXPECT_EQ(count, static_cast<int>(out.size()));
    const double dx = x1 - x0, dy = y1 - y0, length = std::hypot(dx, dy);
    double lastStation = -1e-9;
    for (const Vec3& p : out) {
        const double station = ((p.x - x0) * dx + (p.y - y0) * dy) / length;
        EXPECT_GE(station, lastStation - 1e-9) << p.x << "," << p.y;
        lastStation = station;
        EXPECT_LT(std::fabs((p.y - y0) * dx - (p.x - x0) * dy) / length, 1e-9) << "off the line: " << p.x << "," << p.y;
        if (p.z == kOutsideSurface) continue;
        const std::optional<double> z = heightByBruteForce(d, p.x, p.y);
        EXPECT_TRUE(z.has_value()) << "on no face: " << p.x << "," << p.y;
        if (z) {
            EXPECT_NEAR(p.z, *z, 1e-6) << "at " << p.x << "," << p.y;
        }
    }
    for (int i = 0; i < d.pointCount; ++i) {
        const SurveyPoint& v = d.points[static_cast<std::size_t>(i)];
        const double t = ((v.easting - x0) * dx + (v.northing - y0) * dy) / (length * length);
        const double off = std::fabs((v.northing - y0) * dx - (v.easting - x0) * dy) / length;
        if (off > 1e-9 || t < 0 || t > 1 || !heightByBruteForce(d, v.easting, v.northing)) continue;
        const bool passed = std::any_of(out.begin(), out.end(), [&](const Vec3& p) {
            return std::hypot(p.x - v.easting, p.y - v.northing) < 1e-9 && std::fabs(p.z - v.elevation) < 1e-9;
        });
        EXPECT_TRUE(passed) << "vertex " << v.easting << "," << v.northing << " at " << v.elevation << " skipped";
    }
    return out;
}

// A plane z = 1 + 2x + 3y over a 21 x 21 grid: lines inside one triangle,
// across it, into it, out of it, through its vertices and beside it.
TEST(Drape, ALineAcrossTheSurfaceGetsEveryEdgeCrossing) {
    std::vector<Xyz> points = gridPoints(21, 21, 1.0);  // 0..20 both ways
    for (Xyz& p : points) p.z = 1.0 + 2.0 * p.x + 3.0 * p.y;
    SurfaceSite model;
    loadPoints(model, points);
    buildSurface(model);
    ASSERT_TRUE(model.document.contourStage.done);

    const std::vector<Vec3> inside = drapeAndCheck(model, 3.1, 7.2, 3.2, 7.25);
    ASSERT_EQ(inside.size(), 2u);
    EXPECT_EQ(inside[0].x, 3.1);
    EXPECT_EQ(inside[1].y, 7.25);
    const std::vector<Vec3> across = drapeAndCheck(model, 1.3, 2.7, 17.9, 15.1);
    EXPECT_GT(across.size(), 30u);
    EXPECT_EQ(across.front().x, 1.3);
    EXPECT_EQ(across.back().x, 17.9);
    const std::vector<Vec3> entering = drapeAndCheck(model, -5.0, 7.3, 10.1, 7.9);
    ASSERT_GT(entering.size(), 2u);
    EXPECT_NEAR(entering.front().x, 0.0, 1e-9);
    EXPECT_NEAR(entering.front().y, 7.3 + 0.6 * 5.0 / 15.1, 1e-9);
    EXPECT_TRUE(drapeAndCheck(model, -5.0, -5.0, -1.0, 30.0).empty());
    // y = 1 + x / 2 passes through (2, 2), (4, 3), (6, 4) and (8, 5).
    const std::vector<Vec3> throughVertices = drapeAndCheck(model, 0.5, 1.25, 9.0, 5.5);
    ASSERT_GE(throughVertices.size(), 2u);
    EXPECT_EQ(throughVertices.back().x, 9.0);
    EXPECT_EQ(throughVertices.back().y, 5.5);
    const std::vector<Vec3> leaving = drapeAndCheck(model, 10.2, 10.7, 30.0, 12.0);
    ASSERT_GT(leaving.size(), 2u);
    EXPECT_EQ(leaving.back().z, kOutsideSurface);
    EXPECT_NEAR(leaving[leaving.size() - 2].x, 20.0, 1e-9);
}

// An 11 x 11 grid 10 apart at elevation 30, with a dip to 5 at (50, 50) and
// a rise to 42 at (70, 30), triangulated as a point file is.
class DrapeOnAGrid : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<Xyz> points = gridPoints(11, 11, 10.0);
        for (Xyz& p : points) p.z = p.x == 50 && p.y == 50 ? 5.0 : p.x == 70 && p.y == 30 ? 42.0 : 30.0;
        loadPoints(model, points);
        buildSurface(model);
        ASSERT_TRUE(model.document.contourStage.done);
    }

    // The draped point at plan (x, y), when there is one.
    static const Vec3* pointAt(const std::vector<Vec3>& out, double x, double y) {
        for (const Vec3& p : out)
            if (std::hypot(p.x - x, p.y - y) < 1e-9 && p.z != kOutsideSurface) return &p;
        return nullptr;
    }

    SurfaceSite model;
};

TEST_F(DrapeOnAGrid, ALineAlongARowOrAColumnPassesEveryPointOnIt) {
    for (const auto& [x0, y0, x1, y1] : {std::array{3.0, 50.0, 97.0, 50.0}, std::array{97.0, 50.0, 3.0, 50.0},
                                         std::array{50.0, 0.0, 50.0, 100.0}, std::array{0.0, 30.0, 100.0, 30.0},
                                         std::array{70.0, 100.0, 70.0, 0.0}}) {
        SCOPED_TRACE(::testing::Message() << x0 << "," << y0 << " -> " << x1 << "," << y1);
        const std::vector<Vec3> out = drapeAndCheck(model, x0, y0, x1, y1);
        EXPECT_GE(out.size(), 11u);
    }
    const std::vector<Vec3> row = drapeAndCheck(model, 3.0, 50.0, 97.0, 50.0);
    ASSERT_NE(pointAt(row, 50, 50), nullptr);
    EXPECT_EQ(pointAt(row, 50, 50)->z, 5.0);
}

TEST_F(DrapeOnAGrid, LinesThroughGridPointsAtAnyAngleMeetThemAll) {
    for (const auto& [x0, y0, x1, y1] :
         {std::array{0.0, 0.0, 100.0, 100.0}, std::array{100.0, 0.0, 0.0, 100.0}, std::array{0.0, 10.0, 100.0, 60.0},
          std::array{20.0, 20.0, 80.0, 50.0}, std::array{50.0, 50.0, 70.0, 30.0}, std::array{10.0, 90.0, 70.0, 30.0},
          std::array{30.0, 70.0, 50.0, 50.0}, std::array{0.0, 50.001, 100.0, 50.001}}) {
        SCOPED_TRACE(::testing::Message() << x0 << "," << y0 << " -> " << x1 << "," << y1);
        const std::vector<Vec3> out = drapeAndCheck(model, x0, y0, x1, y1);
        ASSERT_GE(out.size(), 2u);
        EXPECT_EQ(out.front().x, x0);
        EXPECT_EQ(out.back().y, y1);
    }
    const std::vector<Vec3> slant = drapeAndCheck(model, 10.0, 90.0, 70.0, 30.0);
    ASSERT_NE(pointAt(slant, 50, 50), nullptr);
    EXPECT_EQ(pointAt(slant, 50, 50)->z, 5.0);
}

// A U of 10 x 10 squares: x 0..50, y 0..30, without the notch x 20..30, y 10..30.
class DrapeOnAConcaveSurface : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<Xyz> points;
        for (int j = 0; j <= 3; ++j)
            for (int i = 0; i <= 5; ++i) points.push_back({10.0 * i, 10.0 * j, 1.0 + i + 2.0 * j * j});
        std::vector<std::array<int, 3>> triangles;
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 5; ++i) {
                if (i == 2 && j >= 1) continue;  // the notch
                const int a = j * 6 + i, b = a + 1, c = a + 7, e = a + 6;
                triangles.push_back({a, b, c});
                triangles.push_back({a, c, e});
            }
        setSurface(model, points, triangles);
    }

    // The stretches of the output on the surface, as [first x, last x] pairs.
    static std::vector<std::pair<double, double>> stretches(const std::vector<Vec3>& out) {
        std::vector<std::pair<double, double>> runs;
        bool open = false;
        for (const Vec3& p : out) {
            if (p.z == kOutsideSurface) {
                open = false;
                continue;
            }
            if (!open) runs.push_back({p.x, p.x});
            runs.back().second = p.x;
            open = true;
        }
        return runs;
    }

    SurfaceSite model;
};

TEST_F(DrapeOnAConcaveSurface, ALineFromOutsideKeepsEveryStretchOnTheSurface) {
    using Runs = std::vector<std::pair<double, double>>;
    const std::vector<Vec3> leftwards = drapeAndCheck(model, 55.0, 25.0, -5.0, 25.0);
    const Runs back = stretches(leftwards);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_NEAR(back[0].first, 50.0, 1e-12);
    EXPECT_NEAR(back[0].second, 30.0, 1e-12);
    EXPECT_NEAR(back[1].first, 20.0, 1e-12);
    EXPECT_NEAR(back[1].second, 0.0, 1e-12);
    EXPECT_EQ(leftwards.back().z, kOutsideSurface);
    const Runs there = stretches(drapeAndCheck(model, -5.0, 25.0, 55.0, 25.0));
    ASSERT_EQ(there.size(), 2u);
    EXPECT_NEAR(there[0].first, 0.0, 1e-12);
    EXPECT_NEAR(there[1].first, 30.0, 1e-12);
    EXPECT_NEAR(there[1].second, 50.0, 1e-12);
}

TEST_F(DrapeOnAConcaveSurface, ComingBackThroughACornerKeepsTheRestOfTheLine) {
    // y = 40 - x leaves at the vertex (20, 20) and comes back exactly through
    // the notch's corner (30, 10).
    const std::vector<Vec3> out = drapeAndCheck(model, 15.0, 25.0, 40.0, 0.0);
    const auto runs = stretches(out);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NEAR(runs[0].second, 20.0, 1e-12);
    EXPECT_NEAR(runs[1].first, 30.0, 1e-12);
    EXPECT_NEAR(runs[1].second, 40.0, 1e-12);
    EXPECT_NEAR(out.back().z, 1.0 + 4.0, 1e-9);
    // Along the notch's floor the line runs on the surface's edge: one stretch.
    const auto floor = stretches(drapeAndCheck(model, 0.0, 10.0, 50.0, 10.0));
    EXPECT_EQ(floor.size(), 1u);
    // From above, down the notch and onto the surface at the vertex (30, 20) of its wall.
    const auto wall = stretches(drapeAndCheck(model, 25.0, 35.0, 35.0, 5.0));
    ASSERT_EQ(wall.size(), 1u);
    EXPECT_NEAR(wall[0].first, 30.0, 1e-12);
    EXPECT_NEAR(wall[0].second, 35.0, 1e-12);
}

// The overlay worker finds each segment's start through a grid and from the
// last segment's end; it must drape exactly as lone segments are draped.
TEST_F(DrapeOnAConcaveSurface, OverlayLinesDrapeAsLoneSegmentsDo) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(-2, 12);
    std::uniform_real_distribution<double> nudge(-3.0, 3.0);
    std::vector<CadLine> lines(30);
    for (CadLine& line : lines)
        for (int k = 0; k < 6; ++k) {
            // Half the vertices on grid points, half anywhere near them.
            const double x = 5.0 * coordinate(random), y = 3.0 * coordinate(random);
            line.vertices.push_back(k % 2 ? Vec3{x, y, 0} : Vec3{x + nudge(random), y + nudge(random), 0});
        }
    std::atomic<bool> cancelled{false};
    std::atomic<double> progress{0};
    std::vector<CadLine> draped;
    ASSERT_TRUE(drapeCadLines(surfaceOf(model.document), lines, draped, JobControl(cancelled, progress)));
    ASSERT_EQ(draped.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<Vec3> alone;
        for (std::size_t k = 1; k < lines[i].vertices.size(); ++k) {
            const Vec3 &a = lines[i].vertices[k - 1], &b = lines[i].vertices[k];
            drapeAndCheck(model, a.x, a.y, b.x, b.y);
            drapeSegment(surfaceOf(model.document), a.x, a.y, b.x, b.y, alone);
        }
        ASSERT_EQ(draped[i].vertices.size(), alone.size()) << "line " << i;
        for (std::size_t k = 0; k < alone.size(); ++k) {
            EXPECT_EQ(draped[i].vertices[k].x, alone[k].x);
            EXPECT_EQ(draped[i].vertices[k].y, alone[k].y);
            EXPECT_EQ(draped[i].vertices[k].z, alone[k].z);
        }
    }
}

// A blunder: a point 2 cm beside a grid point and 95 higher makes faces that
// stand almost upright in plan.
TEST(DrapeAcrossABlunder, HeightsStayThoseOfTheFacesAndNeverTheStandIn) {
    std::vector<Xyz> points = gridPoints(11, 11, 10.0);
    for (Xyz& p : points) p.z = 30.0 + 0.1 * p.x;
    points.push_back({50.02, 50.0, 30.0 + 5.0 + 95.0});
    SurfaceSite model;
    loadPoints(model, points);
    buildSurface(model);
    ASSERT_TRUE(model.document.contourStage.done);
    for (const auto& [x0, y0, x1, y1] : {std::array{0.0, 50.0, 100.0, 50.0}, std::array{0.0, 49.99, 100.0, 50.013},
                                         std::array{50.01, 0.0, 50.01, 100.0}, std::array{40.0, 40.0, 60.0, 60.0}}) {
        SCOPED_TRACE(::testing::Message() << x0 << "," << y0 << " -> " << x1 << "," << y1);
        for (const Vec3& p : drapeAndCheck(model, x0, y0, x1, y1)) {
            EXPECT_NE(p.z, kVerticalPlane);
            EXPECT_LE(p.z, 130.0 + 1e-9);
        }
    }
}

}  // namespace
}  // namespace vellacor::testing
