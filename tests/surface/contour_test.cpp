// Contours: the level rules, the segment of a level in one triangle, the
// per-frame drawing, the smoothed pieces, the joining for export, and the
// limit polygon that clips them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "surface/contour_draw.h"
#include "surface/contour_export.h"
#include "surface/contour_join.h"
#include "surface/contour_levels.h"
#include "surface/contour_limit.h"
#include "surface/contour_segment.h"
#include "surface/contour_smoothing.h"
#include "surface/make_limit_polygon.h"
#include "surface/tin_geometry.h"
#include "surface_support.h"

namespace vellacor::testing {
namespace {

struct Line {
    Vec3 from, to;
    std::uint8_t colour;
};

class RecordingSink : public ContourLineSink {
public:
    std::vector<Line> lines;
    void line(const Vec3& from, const Vec3& to, std::uint8_t colour) override { lines.push_back({from, to, colour}); }
};

// Points on rings around a summit: z = 20 - r, a cone whose contours are circles.
std::vector<Xyz> conePoints(int count) {
    std::vector<Xyz> points = randomPoints(count, 21, 30.0, -15.0, -15.0);
    std::vector<Xyz> disc;
    for (const Xyz& p : points) {
        const double r = std::hypot(p.x, p.y);
        if (r <= 15.0) disc.push_back({p.x, p.y, 20.0 - r});
    }
    disc.push_back({0.0, 0.0, 20.0});
    return disc;
}

TEST(ContourLevels, FirstLevelAndMajorLevels) {
    EXPECT_EQ(firstLevel(-3.5, 1.0), -3.0);
    EXPECT_EQ(firstLevel(7.25, 0.5), 7.0);
    for (double level : {0.0, 5.0, 10.0, -5.0}) EXPECT_TRUE(isMajor(level, 1.0)) << level;
    for (double level : {1.0, 2.5, 4.0, -4.0}) EXPECT_FALSE(isMajor(level, 1.0)) << level;
    EXPECT_TRUE(isMajor(25.0, 5.0));
    EXPECT_FALSE(isMajor(10.0, 5.0));
}

//   C (0,10) z 0
//   |  .
//   |     .          level 10 runs from A to the middle of B-C
//   A ----- B
//  (0,0)  (10,0)
//  z 10   z 20
TEST(ContourSegment, AVertexOnTheLevelGivesOneSegmentThroughIt) {
    SurfaceSite model;
    setSurface(model, {{0, 0, 10}, {10, 0, 20}, {0, 10, 0}}, {{0, 1, 2}}, false);
    ContourSegment s;
    ASSERT_TRUE(triangleContourSegment(surfaceOf(model.document), 0, 10.0, s));
    EXPECT_EQ(s.end[0].x, 0.0);
    EXPECT_EQ(s.end[0].y, 0.0);
    EXPECT_NEAR(s.end[1].x, 5.0, 1e-12);
    EXPECT_NEAR(s.end[1].y, 5.0, 1e-12);
    EXPECT_EQ(s.end[1].z, 10.0);
    EXPECT_FALSE(triangleContourSegment(surfaceOf(model.document), 0, 20.0, s));  // touches the top vertex only
    EXPECT_FALSE(triangleContourSegment(surfaceOf(model.document), 0, 0.0, s));   // and the bottom one
    EXPECT_FALSE(triangleContourSegment(surfaceOf(model.document), 0, 25.0, s));
}

//        C (5,5) z 9
//   A ---------- B      A-B flat at z 5: produced by the upper triangle only
//  (0,0)       (10,0)
//        D (5,-5) z 1
TEST(ContourSegment, AFlatEdgeOnTheLevelIsProducedOnce) {
    SurfaceSite model;
    setSurface(model, {{0, 0, 5}, {10, 0, 5}, {5, 5, 9}, {5, -5, 1}, {20, 0, 5}, {20, 10, 5}},
               {{0, 1, 2}, {1, 0, 3}, {1, 4, 5}});
    ContourSegment s;
    ASSERT_TRUE(triangleContourSegment(surfaceOf(model.document), 0, 5.0, s));
    EXPECT_TRUE(s.flatEdge);
    EXPECT_EQ(s.end[0].x, 0.0);
    EXPECT_EQ(s.end[1].x, 10.0);
    EXPECT_FALSE(triangleContourSegment(surfaceOf(model.document), 1, 5.0, s));
    EXPECT_TRUE(isFlatTriangle(surfaceOf(model.document), 2));
    ContourPieces pieces;
    collectSegments(surfaceOf(model.document), model.document.contours, 5.0, 0.0, pieces);
    EXPECT_EQ(pieces.size(), 1);
}

TEST(ContourDraw, MinorLevelsFirstThenMajorInTheirColours) {
    SurfaceSite model;
    setSurface(model, {{0, 0, 0}, {10, 0, 12}, {0, 10, 6}}, {{0, 1, 2}});
    RecordingSink sink;
    drawTriangleContours(model.document, 0, sink, true);
    ASSERT_EQ(sink.lines.size(), 11u);  // levels 1..11 cross; 0 touches a vertex only
    for (std::size_t i = 0; i < sink.lines.size(); ++i) {
        const bool major = i >= 9;  // 5 and 10, after the nine minor levels
        EXPECT_EQ(sink.lines[i].colour, major ? kMajorContour : kMinorContour) << i;
        EXPECT_EQ(isMajor(sink.lines[i].from.z, 1.0), major);
    }
}

TEST(ContourDraw, LimitedToAMissingPolygonDrawsAndExportsNothing) {
    SurfaceSite model;
    loadPoints(model, conePoints(400));
    buildSurface(model);
    model.document.contours.limitPolygon.reset();  // the one made once the links were done
    model.document.contours.contourLimitMode = ContourLimitMode::InsidePolygon;
    RecordingSink sink;
    drawSurfaceContours(model.document, sink);
    EXPECT_TRUE(sink.lines.empty());
    EXPECT_TRUE(traceContoursForExport(model.document).empty());
    model.document.contours.contourLimitMode = ContourLimitMode::Everywhere;
    drawSurfaceContours(model.document, sink);
    EXPECT_FALSE(sink.lines.empty());
}

TEST(ContourExport, TheContoursOfAConeAreClosedCircles) {
    SurfaceSite model;
    loadPoints(model, conePoints(6000));
    buildSurface(model);
    for (double smoothing : {0.0, 1.0}) {
        model.document.contours.contourSmoothing = smoothing;
        const std::vector<ExportPolyline> contours = traceContoursForExport(model.document);
        for (int level = 7; level <= 19; ++level) {
            int rings = 0;
            for (const ExportPolyline& c : contours) {
                if (c.level != level) continue;
                ++rings;
                EXPECT_EQ(c.major, level % 5 == 0);
                ASSERT_GE(c.points.size(), 4u);
                EXPECT_NEAR(c.points.front().x, c.points.back().x, 0.001) << "level " << level << " not closed";
                EXPECT_NEAR(c.points.front().y, c.points.back().y, 0.001);
                for (const Vec3& p : c.points) {
                    EXPECT_EQ(p.z, c.level);
                    EXPECT_NEAR(std::hypot(p.x, p.y), 20.0 - level, 0.25) << "level " << level;
                }
            }
            EXPECT_EQ(rings, 1) << "level " << level << ", smoothing " << smoothing;
        }
    }
}

TEST(ContourExport, BlunderedHeightsTraceOnlyTheLowestLevelsWithinReason) {
    // A checkerboard of heights 1 m and 20 km: every triangle spans 20,000
    // one-metre levels, tens of millions of crossings in all.
    std::vector<Xyz> points = gridPoints(30, 30, 1.0);
    for (Xyz& p : points) p.z = std::lround(p.x + p.y) % 2 ? 20000.0 : 1.0;
    SurfaceSite site;
    loadPoints(site, points);
    buildSurface(site);
    const SurfaceView surface = surfaceOf(site.document);
    std::vector<double> levels;
    for (int k = 0; k <= 20000; ++k) levels.push_back(k);
    // The crossings of the lowest `count` levels, counted here level by level.
    const auto crossings = [&](std::size_t count) {
        std::int64_t n = 0;
        for (int t = 0; t < surface.triangleCount; ++t) {
            double lo = 1e300, hi = -1e300;
            for (const int v : surface.triangle(t).vertex) lo = std::min(lo, surface.point(v).elevation), hi = std::max(hi, surface.point(v).elevation);
            for (std::size_t k = 0; k < count; ++k) n += levels[k] >= lo && levels[k] <= hi;
        }
        return n;
    };
    const std::size_t kept = contourLevelsWithinReason(surface, levels, 1.0);
    ASSERT_GT(kept, 0u);
    ASSERT_LT(kept, levels.size());
    EXPECT_LE(crossings(kept), kMostContourCrossings);
    EXPECT_GT(crossings(kept + 10), kMostContourCrossings);
    // An ordinary map keeps every level.
    for (Xyz& p : points) p.z = 100.0 + 0.5 * p.x;
    SurfaceSite plain;
    loadPoints(plain, points);
    buildSurface(plain);
    EXPECT_EQ(contourLevelsWithinReason(surfaceOf(plain.document), levels, 1.0), levels.size());
}

TEST(ContourSmoothing, PiecesKeepToTheirTriangleAndEndAtTheCrossings) {
    SurfaceSite model;
    loadPoints(model, conePoints(1500));
    buildSurface(model);
    int bent = 0;
    for (int t = 0; t < model.document.triangleCount; ++t) {
        for (double level = 6.0; level < 20.0; level += 1.0) {
            ContourSegment segment;
            if (!triangleContourSegment(surfaceOf(model.document), t, level, segment)) continue;
            ContourPiece piece;
            smoothContourPiece(surfaceOf(model.document), t, level, segment, 1.0, piece);
            ASSERT_GE(piece.count, 2);
            EXPECT_EQ(piece.point[0].x, segment.end[0].x);
            EXPECT_EQ(piece.point[piece.count - 1].y, segment.end[1].y);
            bent += piece.count > 2 ? 1 : 0;
            for (int i = 0; i < piece.count; ++i) {
                // Inside or on the triangle, allowing for rounding.
                const TinTriangle& tri = model.document.triangles[static_cast<std::size_t>(t)];
                for (int k = 0; k < 3; ++k) {
                    const SurveyPoint& a = model.document.points[static_cast<std::size_t>(tri.vertex[k])];
                    const SurveyPoint& b = model.document.points[static_cast<std::size_t>(tri.vertex[(k + 1) % 3])];
                    const double side = (b.easting - a.easting) * (piece.point[i].y - a.northing) -
                                        (b.northing - a.northing) * (piece.point[i].x - a.easting);
                    EXPECT_GE(side, -1e-9) << "triangle " << t << " level " << level;
                }
            }
        }
    }
    EXPECT_GT(bent, 100);
}

//   A: (0,0) -> (1,1)      B: (0,0) -> (1,-1)     C: (2,0) -> (1,1)
//   The westernmost piece A starts; C, turned to run west to east, attaches at
//   its end, and B at its start: (1,-1) (0,0) (1,1) (2,0).
TEST(ContourJoin, PiecesAttachAtEitherEndInEitherDirection) {
    ContourPieces pieces;
    const Vec3 a[] = {{0, 0, 5}, {1, 1, 5}}, b[] = {{0, 0, 5}, {1, -1, 5}}, c[] = {{2, 0, 5}, {1, 1, 5}};
    const Vec3 apart[] = {{1, 1, 5.002}, {3, 3, 5.002}};  // 0.002 higher: not the same point
    pieces.add(a, 2);
    pieces.add(b, 2);
    pieces.add(c, 2);
    pieces.add(apart, 2);
    PolylineJoiner joiner(pieces);
    std::vector<Vec3> polyline;
    ASSERT_TRUE(joiner.next(polyline));
    ASSERT_EQ(polyline.size(), 4u);
    const double expected[4][2] = {{1, -1}, {0, 0}, {1, 1}, {2, 0}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(polyline[i].x, expected[i][0]) << i;
        EXPECT_EQ(polyline[i].y, expected[i][1]) << i;
    }
    ASSERT_TRUE(joiner.next(polyline));
    EXPECT_EQ(polyline.size(), 2u);
    EXPECT_FALSE(joiner.next(polyline));
}

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
