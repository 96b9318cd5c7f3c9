// The contour limit polygon: clipping contour pieces to it, the starting
// hexagon, and contours drawn and exported inside it only.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "surface/contour_draw.h"
#include "surface/contour_export.h"
#include "surface/contour_limit.h"
#include "surface/make_limit_polygon.h"
#include "surface_support.h"

namespace vellacor::testing {
namespace {

LimitPolygon polygonOf(std::vector<Vec3> corners) { return LimitPolygon{kNoVertex, std::move(corners)}; }

const LimitPolygon kSquare = polygonOf({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}});

// The pieces as flat (x, y, z) triples, for comparing whole results.
std::vector<double> clip(const LimitPolygon& polygon, const Vec3& from, const Vec3& to) {
    std::vector<Vec3> out;
    clipToPolygon(polygon, from, to, out);
    std::vector<double> flat;
    for (const Vec3& p : out) flat.insert(flat.end(), {p.x, p.y, p.z});
    return flat;
}

using Flat = std::vector<double>;

// Equal sizes and every number within 1e-9.
::testing::AssertionResult same(const Flat& actual, const Flat& expected) {
    bool equal = actual.size() == expected.size();
    for (std::size_t i = 0; equal && i < actual.size(); ++i) equal = std::fabs(actual[i] - expected[i]) <= 1e-9;
    if (equal) return ::testing::AssertionSuccess();
    auto text = [](const Flat& f) {
        std::string t;
        for (double v : f) t += std::to_string(v) + " ";
        return t;
    };
    return ::testing::AssertionFailure() << "got " << text(actual) << "expected " << text(expected);
}

TEST(ClipToPolygon, InsideWholeOutsideNothingCrossingTheInsidePart) {
    EXPECT_TRUE(same(clip(kSquare, {2, 2, 1}, {8, 3, 2}), {2, 2, 1, 8, 3, 2}));
    EXPECT_TRUE(same(clip(kSquare, {12, 2, 1}, {18, 30, 2}), {}));
    EXPECT_TRUE(same(clip(kSquare, {-5, 12, 0}, {15, 11, 0}), {}));
    // Across, leaving and entering: the inside part in the segment's direction,
    // the elevation interpolated along it.
    EXPECT_TRUE(same(clip(kSquare, {-10, 5, 0}, {20, 5, 30}), {0, 5, 10, 10, 5, 20}));
    EXPECT_TRUE(same(clip(kSquare, {5, 5, 0}, {5, 15, 10}), {5, 5, 0, 5, 10, 5}));
    EXPECT_TRUE(same(clip(kSquare, {5, 15, 10}, {5, 5, 0}), {5, 10, 5, 5, 5, 0}));
    // Into the square through its corner, and right across a diamond through two vertices.
    EXPECT_TRUE(same(clip(kSquare, {-5, -5, 0}, {5, 5, 10}), {0, 0, 5, 5, 5, 10}));
    const LimitPolygon diamond = polygonOf({{5, 0, 0}, {10, 5, 0}, {5, 10, 0}, {0, 5, 0}});
    EXPECT_TRUE(same(clip(diamond, {-5, 5, 0}, {15, 5, 0}), {0, 5, 0, 10, 5, 0}));
    // Grazing a vertex from outside, or ending on an edge from inside.
    EXPECT_TRUE(same(clip(diamond, {0, 10, 0}, {10, 10, 0}), {}));
    EXPECT_TRUE(same(clip(kSquare, {5, 5, 0}, {10, 5, 0}), {5, 5, 0, 10, 5, 0}));
    // Two vertices are no area.
    EXPECT_TRUE(same(clip(polygonOf({{0, 0, 0}, {10, 10, 0}}), {0, 5, 0}, {10, 5, 0}), {}));
}

// A comb of 25 teeth: a segment across them all meets 50 edges and comes out
// in one piece per tooth.
TEST(ClipToPolygon, AConcavePolygonGivesOnePiecePerTooth) {
    constexpr int kTeeth = 25;
    LimitPolygon comb = polygonOf({{0, 0, 0}, {2.0 * kTeeth - 1, 0, 0}});  // teeth [2t, 2t + 1] on a base 2 high
    for (int t = kTeeth - 1; t >= 0; --t) {
        comb.vertices.insert(comb.vertices.end(), {{2.0 * t + 1, 10, 0}, {2.0 * t, 10, 0}});
        if (t > 0) comb.vertices.insert(comb.vertices.end(), {{2.0 * t, 2, 0}, {2.0 * t - 1, 2, 0}});
    }
    Flat expected;
    for (int t = 0; t < kTeeth; ++t) expected.insert(expected.end(), {2.0 * t, 5, 0, 2.0 * t + 1, 5, 0});
    EXPECT_TRUE(same(clip(comb, {-1, 5, 0}, {2.0 * kTeeth, 5, 0}), expected));
    EXPECT_EQ(clip(comb, {-1, 1, 0}, {2.0 * kTeeth, 1, 0}).size(), 6u);  // the base: one piece
}

TEST(MakeLimitPolygon, AHexagonOnTheGroundLeavingOutCornersOffTheSurface) {
    SurfaceSite model;  // a grid over (0, 0) - (100, 100) of the plane z = 0.1 x + 0.2 y
    std::vector<Xyz> points;
    std::vector<std::array<int, 3>> triangles;
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x) {
            points.push_back({x * 10.0, y * 10.0, x * 1.0 + y * 2.0});
            if (x < 10 && y < 10) triangles.insert(triangles.end(), {{y * 11 + x, y * 11 + x + 1, y * 11 + x + 12}, {y * 11 + x, y * 11 + x + 12, y * 11 + x + 11}});
        }
    setSurface(model, points, triangles);
    const LimitPolygon whole = makeLimitPolygon(surfaceOf(model.document), {50, 50, 0}, 200.0);
    ASSERT_EQ(whole.vertexCount(), 6);
    EXPECT_EQ(whole.selectedVertex, kNoVertex);
    EXPECT_NEAR(whole.vertices[0].x, 75.0, 1e-9);  // due east first, then every 60 degrees anticlockwise
    EXPECT_NEAR(whole.vertices[1].y, 50.0 + 25.0 * std::sqrt(0.75), 1e-9);
    for (const Vec3& v : whole.vertices) {
        EXPECT_NEAR(std::hypot(v.x - 50, v.y - 50), 25.0, 1e-9);
        EXPECT_NEAR(v.z, 0.1 * v.x + 0.2 * v.y, 1e-9);
    }
    // Near the east edge the east corner falls off the surface.
    const LimitPolygon cut = makeLimitPolygon(surfaceOf(model.document), {80, 50, 0}, 200.0);
    ASSERT_EQ(cut.vertexCount(), 5);
    EXPECT_NEAR(cut.vertices[0].x, 92.5, 1e-9);
}

TEST(MakeLimitPolygon, TheIdleCycleMakesNoneForTriangleLists) {
    SurfaceSite model;
    loadPoints(model, randomPoints(200, 5, 100.0, 0.0, 0.0));
    model.document.pointFileFormat = PointFileFormat::Raw;
    buildSurface(model);
    ASSERT_TRUE(model.document.contourStage.done);
    EXPECT_FALSE(model.document.contours.limitPolygon);
}

// Contours of a cone limited to a square on its east side.
TEST(LimitedContours, OnlyThePiecesInsideThePolygonAreDrawnAndExported) {
    SurfaceSite model;
    std::vector<Xyz> cone;
    for (const Xyz& p : randomPoints(3000, 9, 30.0, -15.0, -15.0)) cone.push_back({p.x, p.y, 20.0 - std::hypot(p.x, p.y)});
    loadPoints(model, cone);
    buildSurface(model);
    ContourSettings& settings = model.document.contours;
    settings.contourLimitMode = ContourLimitMode::InsidePolygon;
    settings.limitPolygon = polygonOf({{2, -4, 0}, {10, -4, 0}, {10, 4, 0}, {2, 4, 0}});
    auto inside = [](const Vec3& p) { return p.x >= 2 - 1e-9 && p.x <= 10 + 1e-9 && std::fabs(p.y) <= 4 + 1e-9; };

    settings.contourSmoothing = 0.0;
    const std::vector<ExportPolyline> limited = traceContoursForExport(model.document);
    ASSERT_FALSE(limited.empty());
    for (const ExportPolyline& c : limited)
        for (const Vec3& p : c.points) EXPECT_TRUE(inside(p)) << p.x << ", " << p.y;

    struct Sink : ContourLineSink {
        std::vector<Vec3> ends;
        void line(const Vec3& a, const Vec3& b, std::uint8_t) override { ends.insert(ends.end(), {a, b}); }
    } sink;
    settings.contourSmoothing = 1.0;
    drawSurfaceContours(model.document, sink);
    ASSERT_FALSE(sink.ends.empty());
    for (const Vec3& p : sink.ends) EXPECT_TRUE(inside(p)) << p.x << ", " << p.y;
}

}  // namespace
}  // namespace vellacor::testing
