// Contours: the level rules, the segment of a level in one triangle, the
// per-frame drawing, the smoothed pieces, the joining for export, and the
// limit polygon that clips them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <utility>

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
//   A ---------- B      A-B flat at z 5: produced by the lower triangle only
//  (0,0)       (10,0)
//        D (5,-5) z 1
TEST(ContourSegment, AFlatEdgeOnTheLevelIsProducedOnceByTheTriangleBelow) {
    SurfaceSite model;
    setSurface(model, {{0, 0, 5}, {10, 0, 5}, {5, 5, 9}, {5, -5, 1}, {20, 0, 5}, {20, 10, 5}},
               {{0, 1, 2}, {1, 0, 3}, {1, 4, 5}});
    ContourSegment s;
    EXPECT_FALSE(triangleContourSegment(surfaceOf(model.document), 0, 5.0, s));
    ASSERT_TRUE(triangleContourSegment(surfaceOf(model.document), 1, 5.0, s, true));
    EXPECT_TRUE(s.flatEdge);
    EXPECT_EQ(s.end[0].x, 10.0);  // the edge B -> A, as triangle 1 runs
    EXPECT_EQ(s.end[1].x, 0.0);
    EXPECT_TRUE(isFlatTriangle(surfaceOf(model.document), 2));
    ContourPieces pieces;
    collectSegments(surfaceOf(model.document), model.document.contours, 5.0, 0.0, pieces);
    EXPECT_EQ(pieces.size(), 1);
}

// A-B on level 5 with both triangles on one side of it: a valley floor (both
// above) or a ridge (both below) the level only grazes. Neither gives a
// contour, in the view or the export: no line out along the edge and back.
TEST(ContourSegment, AValleyFloorOrARidgeOnTheLevelGivesNothing) {
    for (const double side : {9.0, 1.0}) {
        SCOPED_TRACE(side > 5 ? "valley" : "ridge");
        SurfaceSite model;
        setSurface(model, {{0, 0, 5}, {10, 0, 5}, {5, 5, side}, {5, -5, side}}, {{0, 1, 2}, {1, 0, 3}});
        ContourSegment s;
        for (int t = 0; t < 2; ++t) {
            EXPECT_FALSE(triangleContourSegment(surfaceOf(model.document), t, 5.0, s, true));
            // Without the links each triangle alone sees the ridge as its lower edge.
            EXPECT_EQ(triangleContourSegment(surfaceOf(model.document), t, 5.0, s, false), side < 5);
        }
        ContourPieces pieces;
        collectSegments(surfaceOf(model.document), model.document.contours, 5.0, 0.0, pieces);
        EXPECT_EQ(pieces.size(), 0);
        model.document.contours.contourInterval = 5.0;
        RecordingSink sink;
        drawSurfaceContours(model.document, sink, true);
        EXPECT_TRUE(sink.lines.empty());
        EXPECT_TRUE(traceContoursForExport(model.document).empty());
    }
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

// Whole-metre heights put many points exactly on the levels.
std::vector<Xyz> wholeMetreGrid(int from, int to, double (*height)(int x, int y)) {
    std::vector<Xyz> points;
    for (int x = from; x <= to; ++x)
        for (int y = from; y <= to; ++y) points.push_back({double(x), double(y), height(x, y)});
    return points;
}

double planLength(const std::vector<Vec3>& line) {
    double length = 0;
    for (std::size_t i = 1; i < line.size(); ++i) length += std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
    return length;
}

bool samePlace(const Vec3& a, const Vec3& b) { return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9; }

// No piece of no length, and no line that turns straight back on itself.
void expectCleanLines(const std::vector<ExportPolyline>& contours) {
    for (const ExportPolyline& c : contours) {
        ASSERT_GE(c.points.size(), 2u) << "level " << c.level;
        for (std::size_t i = 1; i < c.points.size(); ++i)
            EXPECT_FALSE(samePlace(c.points[i - 1], c.points[i])) << "level " << c.level << " vertex " << i;
        for (std::size_t i = 2; i < c.points.size(); ++i)
            EXPECT_FALSE(samePlace(c.points[i - 2], c.points[i])) << "level " << c.level << " doubles back at " << i - 1;
    }
}

// The view's segments and the export's, each as a sorted list of plan end
// pairs (each pair in order): the same lines, whichever way they are drawn.
using PlanSegment = std::array<double, 5>;  // level, x0, y0, x1, y1

PlanSegment planSegment(const Vec3& a, const Vec3& b) {
    const bool swap = std::make_pair(a.x, a.y) > std::make_pair(b.x, b.y);
    const Vec3& p = swap ? b : a;
    const Vec3& q = swap ? a : b;
    auto r = [](double v) { return std::round(v * 1e6) / 1e6; };
    return {a.z, r(p.x), r(p.y), r(q.x), r(q.y)};
}

std::vector<PlanSegment> viewSegments(const SiteDocument& d) {
    RecordingSink sink;
    drawSurfaceContours(d, sink, true);
    std::vector<PlanSegment> out;
    for (const Line& l : sink.lines) out.push_back(planSegment(l.from, l.to));
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<PlanSegment> exportSegments(const std::vector<ExportPolyline>& contours) {
    std::vector<PlanSegment> out;
    for (const ExportPolyline& c : contours)
        for (std::size_t i = 1; i < c.points.size(); ++i) out.push_back(planSegment(c.points[i - 1], c.points[i]));
    std::sort(out.begin(), out.end());
    return out;
}

// A square pyramid on a whole-metre grid, 110 m at its apex and 100 m round
// its foot: every level from 101 to 109 runs through grid points only, as the
// one square ring of points 110 - level from the apex, 8 (110 - level) long.
// The apex and the foot (where the surface rises away inwards) give nothing.
TEST(ContourExport, LevelsThroughPointsOnWholeMetresGiveEachRingOnce) {
    SurfaceSite model;
    loadPoints(model, wholeMetreGrid(-10, 10, [](int x, int y) { return 110.0 - std::max(std::abs(x), std::abs(y)); }));
    buildSurface(model);
    model.document.contours.contourSmoothing = 0.0;  // straight, as the view draws them
    const std::vector<ExportPolyline> contours = traceContoursForExport(model.document);
    expectCleanLines(contours);
    std::map<double, int> rings;
    for (const ExportPolyline& c : contours) {
        ++rings[c.level];
        EXPECT_TRUE(samePlace(c.points.front(), c.points.back())) << "level " << c.level << " not closed";
        EXPECT_NEAR(planLength(c.points), 8 * (110 - c.level), 1e-9) << "level " << c.level;
        for (const Vec3& p : c.points)
            EXPECT_EQ(std::max(std::fabs(p.x), std::fabs(p.y)), 110 - c.level) << "level " << c.level;
    }
    EXPECT_EQ(rings.size(), 9u);
    for (int level = 101; level <= 109; ++level) EXPECT_EQ(rings[level], 1) << "level " << level;
    EXPECT_EQ(viewSegments(model.document), exportSegments(contours));
}

// A roof (ridge along x = 0 at 110 m) and a trough (valley floor along x = 0
// at 100 m) on whole metres: each level between crosses as two straight lines
// 20 m long through grid points. The ridge's and the floor's own levels only
// graze them: no line. A level along the edge of the site counts the points
// on it as just above it: the roof's foot (rising inwards) gives none, the
// trough's rim (falling inwards) one line each side.
TEST(ContourExport, ARidgeOrValleyFloorOnALevelGivesNoLine) {
    struct Case {
        const char* name;
        double (*height)(int, int);
        int firstLevel, lastLevel;
    };
    const Case cases[] = {{"roof", [](int x, int) { return 110.0 - std::abs(x); }, 101, 109},
                          {"trough", [](int x, int) { return 100.0 + std::abs(x); }, 101, 110}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceSite model;
        loadPoints(model, wholeMetreGrid(-10, 10, c.height));
        buildSurface(model);
        model.document.contours.contourSmoothing = 0.0;
        const std::vector<ExportPolyline> contours = traceContoursForExport(model.document);
        expectCleanLines(contours);
        std::map<double, int> lines;
        for (const ExportPolyline& line : contours) {
            ++lines[line.level];
            EXPECT_NEAR(planLength(line.points), 20.0, 1e-9) << "level " << line.level;
            EXPECT_EQ(std::fabs(line.points.front().x), std::fabs(c.height(0, 0) - line.level));
        }
        EXPECT_EQ(lines.size(), static_cast<std::size_t>(c.lastLevel - c.firstLevel + 1));
        for (int level = c.firstLevel; level <= c.lastLevel; ++level) EXPECT_EQ(lines[level], 2) << "level " << level;
        EXPECT_EQ(viewSegments(model.document), exportSegments(contours));
    }
}

// Rough ground in whole metres, a third of its points on some level: the view
// and the export draw the same pieces, none of no length and none doubling back.
TEST(ContourExport, WholeMetreHeightsGiveTheSameCleanLinesInTheViewAndTheExport) {
    std::vector<Xyz> points = randomPoints(3000, 7, 200.0, 0.0, 0.0);
    for (Xyz& p : points) p.z = std::round(100.0 + 4.0 * std::sin(p.x / 23.0) + 3.0 * std::cos(p.y / 17.0));
    SurfaceSite model;
    loadPoints(model, points);
    buildSurface(model);
    for (const double smoothing : {1.0, 0.0}) {
        model.document.contours.contourSmoothing = smoothing;
        const std::vector<ExportPolyline> contours = traceContoursForExport(model.document);
        ASSERT_GT(contours.size(), 10u);
        expectCleanLines(contours);
        if (smoothing == 0.0) {
            EXPECT_EQ(viewSegments(model.document), exportSegments(contours));
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

    RecordingSink sink;
    settings.contourSmoothing = 1.0;
    drawSurfaceContours(model.document, sink);
    ASSERT_FALSE(sink.lines.empty());
    for (const Line& l : sink.lines)
        for (const Vec3& p : {l.from, l.to}) EXPECT_TRUE(inside(p)) << p.x << ", " << p.y;
}

}  // namespace
}  // namespace vellacor::testing
