// The contour limit polygon: clipping contour pieces to it, the starting
// hexagon, its vertex edits, and contours drawn and exported inside it only.
#include <gtest/gtest.h>

#include <cmath>

#include "model/limit_polygon.h"
#include "surface/contour_draw.h"
#include "surface/contour_export.h"
#include "surface/contour_limit.h"
#include "surface/make_limit_polygon.h"
#include "surface_support.h"

namespace vellacor::testing {
namespace {

LimitPolygon polygonOf(std::initializer_list<Vec3> corners) {
    LimitPolygon p;
    p.vertices = corners;
    return p;
}

const LimitPolygon kSquare = polygonOf({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}});

std::vector<Vec3> clip(const LimitPolygon& polygon, const Vec3& from, const Vec3& to) {
    std::vector<Vec3> out;
    clipToPolygon(polygon, from, to, out);
    return out;
}

void expectAt(const Vec3& p, double x, double y, double z) {
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
    EXPECT_NEAR(p.z, z, 1e-9);
}

TEST(ClipToPolygon, InsideWholeOutsideNothingCrossingTheInsidePart) {
    const std::vector<Vec3> inside = clip(kSquare, {2, 2, 1}, {8, 3, 2});
    ASSERT_EQ(inside.size(), 2u);
    expectAt(inside[0], 2, 2, 1);
    expectAt(inside[1], 8, 3, 2);
    EXPECT_TRUE(clip(kSquare, {12, 2, 1}, {18, 30, 2}).empty());
    EXPECT_TRUE(clip(kSquare, {-5, 12, 0}, {15, 11, 0}).empty());  // beside it, its line never meets the square

    // Through the square from west to east: the part between the crossings,
    // elevation interpolated along the segment.
    const std::vector<Vec3> through = clip(kSquare, {-10, 5, 0}, {20, 5, 30});
    ASSERT_EQ(through.size(), 2u);
    expectAt(through[0], 0, 5, 10);
    expectAt(through[1], 10, 5, 20);
    // Leaving it, and entering it: the piece keeps the segment's direction.
    const std::vector<Vec3> leaving = clip(kSquare, {5, 5, 0}, {5, 15, 10});
    ASSERT_EQ(leaving.size(), 2u);
    expectAt(leaving[0], 5, 5, 0);
    expectAt(leaving[1], 5, 10, 5);
    const std::vector<Vec3> entering = clip(kSquare, {5, 15, 10}, {5, 5, 0});
    ASSERT_EQ(entering.size(), 2u);
    expectAt(entering[0], 5, 10, 5);
    expectAt(entering[1], 5, 5, 0);
}

TEST(ClipToPolygon, ThroughAVertexAndGrazingOne) {
    // Into the square through its corner (0, 0).
    const std::vector<Vec3> corner = clip(kSquare, {-5, -5, 0}, {5, 5, 10});
    ASSERT_EQ(corner.size(), 2u);
    expectAt(corner[0], 0, 0, 5);
    expectAt(corner[1], 5, 5, 10);
    // Right across a diamond through two opposite vertices.
    const LimitPolygon diamond = polygonOf({{5, 0, 0}, {10, 5, 0}, {5, 10, 0}, {0, 5, 0}});
    const std::vector<Vec3> across = clip(diamond, {-5, 5, 0}, {15, 5, 0});
    ASSERT_EQ(across.size(), 2u);
    expectAt(across[0], 0, 5, 0);
    expectAt(across[1], 10, 5, 0);
    // Touching the diamond at one vertex only, from outside: nothing of length.
    for (const auto& piece : {clip(diamond, {0, 0, 0}, {10, 0, 0}), clip(diamond, {0, 10, 0}, {10, 10, 0})})
        for (std::size_t i = 0; i + 1 < piece.size(); i += 2) EXPECT_EQ(piece[i].x, piece[i + 1].x);
    // A segment ending exactly on an edge, from outside and from inside.
    EXPECT_TRUE(clip(kSquare, {-5, 5, 0}, {0, 5, 0}).size() <= 2u);
    const std::vector<Vec3> toEdge = clip(kSquare, {5, 5, 0}, {10, 5, 0});
    ASSERT_EQ(toEdge.size(), 2u);
    expectAt(toEdge[1], 10, 5, 0);
}

// A comb with many teeth: one segment across all of them comes out in one
// piece per tooth, however many more crossings than the hexagon's six.
TEST(ClipToPolygon, AConcavePolygonGivesOnePiecePerTooth) {
    LimitPolygon comb;  // teeth x in [2t, 2t + 1] up to y = 10 on a base 2 high
    constexpr int kTeeth = 25;
    comb.vertices = {{0, 0, 0}, {2.0 * kTeeth - 1, 0, 0}};
    for (int t = kTeeth - 1; t >= 0; --t) {
        comb.vertices.push_back({2.0 * t + 1, 10, 0});
        comb.vertices.push_back({2.0 * t, 10, 0});
        if (t == 0) break;
        comb.vertices.push_back({2.0 * t, 2, 0});
        comb.vertices.push_back({2.0 * t - 1, 2, 0});
    }
    const std::vector<Vec3> pieces = clip(comb, {-1, 5, 0}, {2.0 * kTeeth, 5, 0});
    ASSERT_EQ(pieces.size(), 2u * kTeeth);
    for (int t = 0; t < kTeeth; ++t) {
        expectAt(pieces[2 * static_cast<std::size_t>(t)], 2.0 * t, 5, 0);
        expectAt(pieces[2 * static_cast<std::size_t>(t) + 1], 2.0 * t + 1, 5, 0);
    }
    // Below the teeth, in the comb's back: one piece.
    EXPECT_EQ(clip(comb, {-1, 1, 0}, {2.0 * kTeeth, 1, 0}).size(), 2u);
}

TEST(ClipToPolygon, FewerThanThreeVerticesHoldNothing) {
    EXPECT_TRUE(clip(polygonOf({{0, 0, 0}, {10, 10, 0}}), {0, 5, 0}, {10, 5, 0}).empty());
    EXPECT_TRUE(clip(LimitPolygon{}, {0, 5, 0}, {10, 5, 0}).empty());
}

// An 11 x 11 grid, 10 apart, of the plane z = 0.1 x + 0.2 y from (0, 0) to (100, 100).
void planeSurface(SiteModel& model) {
    std::vector<Xyz> points;
    std::vector<std::array<int, 3>> triangles;
    constexpr int n = 11;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) points.push_back({x * 10.0, y * 10.0, x * 1.0 + y * 2.0});
    for (int y = 0; y + 1 < n; ++y)
        for (int x = 0; x + 1 < n; ++x) {
            const int a = y * n + x;
            triangles.push_back({a, a + 1, a + n + 1});
            triangles.push_back({a, a + n + 1, a + n});
        }
    setSurface(model, points, triangles);
}

TEST(MakeLimitPolygon, AHexagonOnTheGroundLeavingOutCornersOffTheSurface) {
    SiteModel model;
    planeSurface(model);
    const SurfaceView surface = surfaceOf(model.document);
    const LimitPolygon whole = makeLimitPolygon(surface, {50, 50, 0}, 200.0);
    ASSERT_EQ(whole.vertexCount(), 6);
    EXPECT_EQ(whole.selectedVertex, kNoVertex);
    expectAt(whole.vertices[0], 75, 50, 17.5);  // due east first, then every 60 degrees anticlockwise
    expectAt(whole.vertices[3], 25, 50, 12.5);
    for (const Vec3& v : whole.vertices) {
        EXPECT_NEAR(std::hypot(v.x - 50, v.y - 50), 25.0, 1e-9);
        EXPECT_NEAR(v.z, 0.1 * v.x + 0.2 * v.y, 1e-9);
    }
    // Centred near the east edge: the east corner falls off the surface.
    const LimitPolygon cut = makeLimitPolygon(surface, {80, 50, 0}, 200.0);
    ASSERT_EQ(cut.vertexCount(), 5);
    EXPECT_NEAR(cut.vertices[0].x, 92.5, 1e-9);  // the 60-degree corner leads
    EXPECT_TRUE(makeLimitPolygon(surface, {500, 500, 0}, 200.0).vertices.empty());
}

TEST(MakeLimitPolygon, TheIdleCycleMakesItOnceTheLinksAreDoneButNotForTriangleLists) {
    SiteModel model;
    FakeUi ui;
    loadPoints(model, randomPoints(200, 5, 100.0, 0.0, 0.0));
    EXPECT_FALSE(model.document.contours.limitPolygon);
    buildSurface(model, ui);
    ASSERT_TRUE(model.document.contourStage.done);
    ASSERT_TRUE(model.document.contours.limitPolygon);
    EXPECT_EQ(model.document.contours.limitPolygon->vertexCount(), 6);

    loadPoints(model, randomPoints(200, 5, 100.0, 0.0, 0.0));
    model.document.pointFileFormat = PointFileFormat::Raw;
    buildSurface(model, ui);
    ASSERT_TRUE(model.document.contourStage.done);
    EXPECT_FALSE(model.document.contours.limitPolygon);
}

TEST(LimitPolygonEdits, DuplicateMoveAndRemoveKeepTheSelectionOnItsVertex) {
    LimitPolygon p = polygonOf({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    duplicateVertex(p, 1);
    ASSERT_EQ(p.vertexCount(), 4);
    EXPECT_EQ(p.vertices[1].x, 1.0);
    EXPECT_EQ(p.vertices[2].x, 1.0);
    EXPECT_EQ(p.vertices[3].x, 2.0);
    duplicateVertex(p, 7);  // out of range: nothing
    EXPECT_EQ(p.vertexCount(), 4);

    p.selectedVertex = 1;
    moveSelectedVertex(p, {5, 5, 5});
    expectAt(p.vertices[1], 5, 5, 5);
    expectAt(p.vertices[2], 1, 0, 0);
    p.selectedVertex = 2;
    removeVertex(p, 0);
    EXPECT_EQ(p.selectedVertex, 1);
    expectAt(p.vertices[p.selectedVertex], 1, 0, 0);
    removeVertex(p, 1);
    EXPECT_EQ(p.selectedVertex, kNoVertex);
    moveSelectedVertex(p, {9, 9, 9});  // no selection: nothing moves
    for (const Vec3& v : p.vertices) EXPECT_NE(v.x, 9.0);
}

// Contours of a cone limited to a square on its east side: drawn and exported
// only inside it, and the export cut where it leaves the square.
TEST(LimitedContours, OnlyThePiecesInsideThePolygonAreDrawnAndExported) {
    SiteModel model;
    FakeUi ui;
    std::vector<Xyz> cone;
    for (const Xyz& p : randomPoints(3000, 9, 30.0, -15.0, -15.0)) cone.push_back({p.x, p.y, 20.0 - std::hypot(p.x, p.y)});
    loadPoints(model, cone);
    buildSurface(model, ui);
    ContourSettings& settings = model.document.contours;
    settings.contourSmoothing = 0.0;
    const std::size_t everywhere = traceContoursForExport(model.document).size();
    settings.contourLimitMode = ContourLimitMode::InsidePolygon;
    settings.limitPolygon = polygonOf({{2, -4, 0}, {10, -4, 0}, {10, 4, 0}, {2, 4, 0}});
    auto inside = [](const Vec3& p) { return p.x >= 2 - 1e-9 && p.x <= 10 + 1e-9 && p.y >= -4 - 1e-9 && p.y <= 4 + 1e-9; };

    const std::vector<ExportPolyline> limited = traceContoursForExport(model.document);
    ASSERT_FALSE(limited.empty());
    EXPECT_LE(limited.size(), everywhere);
    bool reachesTheEdge = false;
    for (const ExportPolyline& c : limited)
        for (const Vec3& p : c.points) {
            EXPECT_TRUE(inside(p)) << p.x << ", " << p.y;
            reachesTheEdge |= std::fabs(p.y - 4.0) < 1e-9 || std::fabs(p.y + 4.0) < 1e-9;
        }
    EXPECT_TRUE(reachesTheEdge);  // cut at the square, not just whole pieces kept

    struct Sink : ContourLineSink {
        std::vector<Vec3> ends;
        void line(const Vec3& a, const Vec3& b, std::uint8_t) override { ends.insert(ends.end(), {a, b}); }
    } sink;
    for (double smoothing : {0.0, 1.0}) {
        settings.contourSmoothing = smoothing;
        sink.ends.clear();
        drawSurfaceContours(model.document, sink);
        ASSERT_FALSE(sink.ends.empty());
        for (const Vec3& p : sink.ends) EXPECT_TRUE(inside(p)) << p.x << ", " << p.y;
    }
}

}  // namespace
}  // namespace vellacor::testing
