#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "raster_fixture.h"
#include "render/fill.h"
#include "render/line.h"
#include "render/line_fragments.h"

namespace vellacor {
namespace {

using testing::picture;
using testing::sizedFrame;
using testing::vertexAt;

TEST(FrameBuffer, PitchIsRoundedToFourBytesForEveryBuffer) {
    FrameBuffer frame;
    createFrameBitmap(frame, Palette{});
    FrameBuffer& f = sizedFrame(frame, 101, 30);
    EXPECT_EQ(f.viewWidth, 104);
    EXPECT_EQ(f.halfWidth, 51);
    EXPECT_EQ(f.halfHeight, 14);
    EXPECT_EQ(f.sceneBuffer.size(), 104u * 30);
    EXPECT_EQ(f.depthBuffer.size(), 104u * 30);
    EXPECT_EQ(f.widgetDepthBuffer.size(), 104u * 30);
    EXPECT_EQ(f.displayBits.size(), 104u * 30);  // the existing bitmap was made again at the new size
    EXPECT_EQ(f.spanTable.size(), 30u);

    resizeFrameBuffer(f, 0, 0, Palette{});  // minimised: nothing to draw, buffers kept
    EXPECT_EQ(f.pixelCount(), 0);
    EXPECT_EQ(f.sceneBuffer.size(), 104u * 30);
    EXPECT_FALSE(f.hasBuffers());
}

TEST(Projection, UnprojectInvertsProjectAndOutcodesNameTheSide) {
    FrameBuffer frame;
    const FrameBuffer& f = sizedFrame(frame, 640, 480);
    for (const Vec3& p : {Vec3{0.3, -0.2, -1.5}, Vec3{-40, 12, -90}, Vec3{0, 0, -0.002}}) {
        const ProjectedPoint s = project(f, p);
        const Vec3 back = unproject(f, s.x, s.y, s.w);
        EXPECT_NEAR(back.x, p.x, 1e-9 * std::fabs(p.z));
        EXPECT_NEAR(back.y, p.y, 1e-9 * std::fabs(p.z));
        EXPECT_NEAR(back.z, p.z, 1e-9 * std::fabs(p.z));
    }
    EXPECT_EQ(outcode({0, 0, -1}), 0u);
    EXPECT_EQ(outcode({1, 1, -1}), 0u);  // on the pyramid's edge is inside
    const std::pair<Vec3, unsigned> sides[] = {{{0, -2, -1}, kOutBelow}, {{0, 2, -1}, kOutAbove}, {{-2, 0, -1}, kOutLeft},
                                               {{2, 0, -1}, kOutRight},  {{0, 0, -0.0005}, kOutNear}};
    for (const auto& [p, code] : sides) EXPECT_EQ(outcode(p), code) << p.x << "," << p.y << "," << p.z;
    EXPECT_EQ(outcode({0, 0, 1}), unsigned{kOutBelow | kOutAbove | kOutLeft | kOutRight | kOutNear});
}

TEST(Clipping, NearPlaneRemovesOrCutsThePolygon) {
    ClipPolygon behind{};
    behind[0] = {0, 0, 1, 0, 0, 0};
    behind[1] = {1, 0, -0.0005, 0, 0, 0};
    behind[2] = {0, 1, 2, 0, 0, 0};
    EXPECT_EQ(clipPolygon(behind, 3), 0);

    ClipPolygon crossing{};
    crossing[0] = {0, 0, -1, 100, 10, 0};
    crossing[1] = {0.0001, 0, -0.0002, 200, 20, 0};  // inside the sides, in front of the near plane
    crossing[2] = {0, 0.5, -1, 100, 10, 0};
    const int n = clipPolygon(crossing, 3);
    ASSERT_EQ(n, 4);
    int onPlane = 0;
    for (int i = 0; i < n; ++i) {
        const ClipVertex& v = crossing[static_cast<std::size_t>(i)];
        EXPECT_LE(v.z, kNearPlane);
        if (v.z == kNearPlane) {
            ++onPlane;
            // Shade and texture follow the cut, 0.999 of the way from z = -1 to z = -0.0002.
            EXPECT_NEAR(v.shade, 100 + 100 * (0.999 / 0.9998), 1e-9);
            EXPECT_NEAR(v.u, 10 + 10 * (0.999 / 0.9998), 1e-9);
        }
    }
    EXPECT_EQ(onPlane, 2);
}

// Screen triangle (1.25,1.25) (1.25,5.25) (5.25,5.25): the left edge runs down
// x = 1.25, the right edge up x = y. A row or column is filled when it lies
// strictly after a span's start and not after its end.
TEST(Fill, FlatTriangleIsPixelExact) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 8, 8);
    const ClipVertex tri[3] = {vertexAt(f, 1.25, 1.25, -0.5), vertexAt(f, 1.25, 5.25, -0.5),
                               vertexAt(f, 5.25, 5.25, -0.5)};
    fillPolygon(f, sceneTarget(f), FillMode::Flat, tri, 3, 20);
    const std::vector<std::string> expected = {"........", "........", "..#.....", "..##....",
                                               "..###...", "..####..", "........", "........"};
    EXPECT_EQ(picture(f, 20), expected);
    EXPECT_DOUBLE_EQ(f.depthBuffer[4 * 8 + 3], -0.5);
    EXPECT_EQ(f.depthBuffer[1 * 8 + 1], 0.0);

    // The other winding faces away and fills nothing.
    const ClipVertex reversed[3] = {tri[1], tri[0], tri[2]};
    fillPolygon(f, sceneTarget(f), FillMode::Flat, reversed, 3, 30);
    EXPECT_EQ(picture(f, 20), expected);
}

// The surface fills most triangles through fillFlatTriangle, which works row
// by row without the span table, or lists their rows to be written a batch
// at a time. Over triangles overlapping in one frame (corners on whole and
// half pixels, level edges, either winding, partly off the frame, within a
// band of rows as the two fill threads use) both must leave every pixel and
// every depth bit as the polygon filler does, however the batches fall.
TEST(Fill, ProjectedTriangleFillsWhatThePolygonFillerFills) {
    FrameBuffer byTriangle, byBatch, byPolygon;
    sizedFrame(byTriangle, 40, 30);
    sizedFrame(byBatch, 40, 30);
    sizedFrame(byPolygon, 40, 30);
    FlatRuns runs;
    int batchesFilledFull = 0;
    std::uint32_t seed = 12345;
    auto next = [&](int range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(range));
    };
    // Screen positions from -4 to 44 (wider than the frame) in steps of a
    // quarter pixel, so that many corners and crossings fall on pixel rows and columns.
    auto coordinate = [&](int extent) { return next(4 * (extent + 8)) / 4.0 - 4.0; };
    for (int i = 0; i < 3000; ++i) {
        const int first = next(3) == 0 ? next(30) : 0;
        const int limit = next(3) == 0 ? first + next(30) : 30;
        const double w = -1.0 / (1.0 + next(8));
        ClipVertex v[3];
        double x[3], y[3];
        for (int k = 0; k < 3; ++k) {
            x[k] = coordinate(40);
            y[k] = k == 1 && next(4) == 0 ? y[0] : coordinate(30);  // a level edge, now and then
            v[k] = vertexAt(byPolygon, x[k], y[k], w * (1.0 + 0.01 * next(50)));
        }
        const auto colour = static_cast<std::uint8_t>(16 + i % 200);
        fillPolygon(byPolygon, withinRows(sceneTarget(byPolygon), first, limit), FillMode::Flat, v, 3, colour);
        auto at = [&](int k) { return project(byTriangle, {v[k].x, v[k].y, v[k].z}); };
        fillFlatTriangle(byTriangle, withinRows(sceneTarget(byTriangle), first, limit), at(0), at(1), at(2), colour);
        // The batch's rows must all be written before the target's band changes.
        const RasterTarget band = withinRows(sceneTarget(byBatch), first, limit);
        const int before = runs.count;
        queueFlatTriangle(runs, byBatch, band, at(0), at(1), at(2), colour);
        batchesFilledFull += runs.count < before;
        fillFlatRuns(runs, band);
    }
    // Long batches, written when full in the middle of a triangle or when asked.
    for (int i = 0; i < 3000; ++i) {
        ClipVertex v[3];
        const double w = -2.0 - 0.1 * next(8);  // nearer than the first loop's; ties: the later must win
        for (int k = 0; k < 3; ++k) v[k] = vertexAt(byPolygon, coordinate(40), coordinate(30), w);
        if (next(30) == 0) v[next(3)].x = -std::numeric_limits<double>::infinity();  // not clipped: fills nothing
        const auto colour = static_cast<std::uint8_t>(16 + i % 100);
        fillPolygon(byPolygon, sceneTarget(byPolygon), FillMode::Flat, v, 3, colour);
        auto at = [&](int k) { return project(byBatch, {v[k].x, v[k].y, v[k].z}); };
        fillFlatTriangle(byTriangle, sceneTarget(byTriangle), at(0), at(1), at(2), colour);
        const int before = runs.count;
        queueFlatTriangle(runs, byBatch, sceneTarget(byBatch), at(0), at(1), at(2), colour);
        batchesFilledFull += runs.count < before;
        if (next(40) == 0) fillFlatRuns(runs, sceneTarget(byBatch));
    }
    fillFlatRuns(runs, sceneTarget(byBatch));
    EXPECT_GT(batchesFilledFull, 10);
    auto bits = [](double d) { return std::bit_cast<std::uint64_t>(d); };
    for (const FrameBuffer* filled : {&byTriangle, &byBatch}) {
        EXPECT_EQ(filled->sceneBuffer, byPolygon.sceneBuffer);
        ASSERT_EQ(filled->depthBuffer.size(), byPolygon.depthBuffer.size());
        for (std::size_t i = 0; i < byPolygon.depthBuffer.size(); ++i)
            ASSERT_EQ(bits(filled->depthBuffer[i]), bits(byPolygon.depthBuffer[i])) << "pixel " << i;
    }
}

TEST(Fill, GouraudTriangleTruncatesTheShade) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 8, 8);
    // shade = 10x + 10y - 3.5 over the triangle: x.5 at every pixel
    const ClipVertex tri[3] = {vertexAt(f, 1.25, 1.25, -0.5, 21.5), vertexAt(f, 1.25, 5.25, -0.5, 61.5),
                               vertexAt(f, 5.25, 5.25, -0.5, 101.5)};
    fillPolygon(f, sceneTarget(f), FillMode::Gouraud, tri, 3, 0);
    auto at = [&](int x, int y) { return static_cast<int>(f.sceneBuffer[static_cast<std::size_t>(y * 8 + x)]); };
    const std::array<int, 3> shades[] = {{2, 2, 36}, {2, 3, 46}, {3, 3, 56}, {2, 4, 56},
                                         {4, 4, 76}, {2, 5, 66}, {5, 5, 96}, {6, 5, kBackgroundColour}};
    for (const auto& [x, y, shade] : shades) EXPECT_EQ(at(x, y), shade) << x << "," << y;
    EXPECT_DOUBLE_EQ(f.depthBuffer[5 * 8 + 5], -0.5);
}

TEST(Fill, EqualDepthOverwritesAndFartherDoesNot) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 8, 8);
    auto tri = [&](double w) {
        return std::array<ClipVertex, 3>{vertexAt(f, 1.25, 1.25, w), vertexAt(f, 1.25, 5.25, w),
                                         vertexAt(f, 5.25, 5.25, w)};
    };
    fillPolygon(f, sceneTarget(f), FillMode::Flat, tri(-0.5).data(), 3, 20);
    fillPolygon(f, sceneTarget(f), FillMode::Flat, tri(-0.5).data(), 3, 30);
    EXPECT_EQ(f.sceneBuffer[5 * 8 + 3], 30);
    fillPolygon(f, sceneTarget(f), FillMode::Flat, tri(-0.4999).data(), 3, 40);  // slightly farther
    EXPECT_EQ(f.sceneBuffer[5 * 8 + 3], 30);
    fillPolygon(f, sceneTarget(f), FillMode::FlatNoDepth, tri(-0.6).data(), 3, 50);  // nearer, leaves depth alone
    EXPECT_EQ(f.sceneBuffer[5 * 8 + 3], 50);
    EXPECT_DOUBLE_EQ(f.depthBuffer[5 * 8 + 3], -0.5);
}

TEST(Fill, DegenerateInputFillsNothing) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 8, 8);
    const ClipVertex flat[3] = {vertexAt(f, 1, 3.2, -1), vertexAt(f, 2, 3.8, -1), vertexAt(f, 6, 3.5, -1)};
    fillPolygon(f, sceneTarget(f), FillMode::Flat, flat, 3, 20);  // no whole row inside
    fillPolygon(f, sceneTarget(f), FillMode::Flat, flat, 2, 20);
    const ClipVertex unclipped[3] = {{0, 0, 0, 0, 0, 0}, {1, 0, -1, 0, 0, 0}, {0, 1, -1, 0, 0, 0}};
    fillPolygon(f, sceneTarget(f), FillMode::Flat, unclipped, 3, 20);  // z = 0 cannot be projected
    for (std::uint8_t c : f.sceneBuffer) EXPECT_EQ(c, kBackgroundColour);
}

// A square larger than the view pyramid, clipped to it, covers everything
// except the last column and the last row or two: the projection never reaches them.
TEST(Fill, WholeViewLeavesTheLastColumnAndRowsUntouched) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 101, 61);  // 104 wide, half sizes 51 and 29
    const ClipVertex corners[4] = {
        {-3, -3, -1, 0, 0, 0}, {3, -3, -1, 0, 0, 0}, {3, 3, -1, 0, 0, 0}, {-3, 3, -1, 0, 0, 0}};
    for (bool reversed : {false, true}) {  // one of the two windings faces the filler
        ClipPolygon quad{};
        for (int i = 0; i < 4; ++i) quad[static_cast<std::size_t>(i)] = corners[reversed ? 3 - i : i];
        drawPolygon(f, sceneTarget(f), FillMode::Flat, quad, 4, 20);
    }
    const std::vector<std::string> rows = picture(f, 20);
    for (int y = 1; y <= 58; ++y) EXPECT_EQ(rows[static_cast<std::size_t>(y)].substr(1, 102), std::string(102, '#'));
    for (int y = 0; y < 61; ++y) EXPECT_EQ(rows[static_cast<std::size_t>(y)][103], '.');
    EXPECT_EQ(rows[59], std::string(104, '.'));
    EXPECT_EQ(rows[60], std::string(104, '.'));
}

TEST(Fill, WaterTintsTheSurfaceRampAndLeavesTheBackground) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 8, 8);
    const ClipVertex ground[3] = {vertexAt(f, 1.25, 1.25, -0.5), vertexAt(f, 1.25, 5.25, -0.5),
                                  vertexAt(f, 5.25, 5.25, -0.5)};
    fillPolygon(f, sceneTarget(f), FillMode::Flat, ground, 3, 16);
    // The pond covers the ground and the sky beside it, at the ground's own depth.
    const ClipVertex pond[3] = {vertexAt(f, 1.25, 0.5, -0.5), vertexAt(f, 1.25, 5.25, -0.5),
                                vertexAt(f, 6.5, 5.25, -0.5)};
    fillPolygon(f, sceneTarget(f), FillMode::Water, pond, 3, 0);
    EXPECT_EQ(f.sceneBuffer[5 * 8 + 2], kWaterRampLast);  // the darkest ground becomes the brightest water
    EXPECT_EQ(f.sceneBuffer[5 * 8 + 6], kBackgroundColour);
    EXPECT_EQ(f.depthBuffer[5 * 8 + 6], 0.0);
}

TEST(Fill, TextureCoordinatesBeyondTheImageTakeItsEdge) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 8, 8);
    const std::uint8_t texels[4] = {40, 41, 42, 43};  // 2 x 2
    ClipVertex tri[3] = {vertexAt(f, 1.25, 1.25, -0.5), vertexAt(f, 1.25, 5.25, -0.5), vertexAt(f, 5.25, 5.25, -0.5)};
    tri[0].u = -50, tri[0].v = -50;
    tri[1].u = -50, tri[1].v = 500;
    tri[2].u = 500, tri[2].v = 500;
    FillInputs inputs;
    inputs.texture = {texels, 2, 2};
    fillPolygon(f, sceneTarget(f), FillMode::TextureSphere, tri, 3, 20, inputs);
    EXPECT_EQ(f.sceneBuffer[5 * 8 + 5], 43);  // u 390, v 465
    EXPECT_EQ(f.sceneBuffer[2 * 8 + 2], 42);  // u -50, v 53
}

using testing::mask;

// Ground covering rows 1..6 of a 12 x 8 frame at depth -0.5.
void drawGround(FrameBuffer& f) {
    const ClipVertex quad[4] = {vertexAt(f, 0.5, 0.5, -0.5), vertexAt(f, 0.5, 6.5, -0.5), vertexAt(f, 10.5, 6.5, -0.5),
                                vertexAt(f, 10.5, 0.5, -0.5)};
    fillPolygon(f, sceneTarget(f), FillMode::Flat, quad, 4, 16);
}

TEST(Line, BresenhamPixelsOverTheSurface) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 12, 8);
    drawGround(f);
    const std::vector<double> depthBefore = f.depthBuffer;
    drawLine2D(f, sceneTarget(f), {1.5, 2.2, -0.5}, {6.7, 4.9, -0.5}, 5);
    const std::vector<std::string> expected = {"............", "............", ".##.........", "...##.......",
                                               ".....##.....", "............", "............", "............"};
    EXPECT_EQ(mask(f, 5), expected);
    EXPECT_EQ(f.depthBuffer, depthBefore);  // lines never write depth
}

TEST(Line, LinesWinWithinTheDepthAllowance) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 12, 8);
    drawGround(f);
    auto row = [&](double y, double w, std::uint8_t c) { drawLine2D(f, sceneTarget(f), {1, y, w}, {9, y, w}, c); };
    row(2, -0.5, 1);           // on the surface
    row(3, -0.5 + 0.0002, 2);  // just behind it
    row(4, -0.5 + 0.0004, 3);  // too far behind
    EXPECT_EQ(f.sceneBuffer[2 * 12 + 5], 1);
    EXPECT_EQ(f.sceneBuffer[3 * 12 + 5], 2);
    EXPECT_EQ(f.sceneBuffer[4 * 12 + 5], 16);
    drawLine2D(f, sceneTarget(f), {3.2, 5.7, -0.5}, {3.9, 5.1, -0.5}, 4);  // one pixel
    EXPECT_EQ(f.sceneBuffer[5 * 12 + 3], 4);
}

TEST(Line, ThreeDimensionalLinesAreClippedToTheView) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 12, 8);
    drawLine3D(f, sceneTarget(f), {0, 0, 1}, {0.5, 0.5, 2}, 1);  // wholly behind the eye
    for (std::uint8_t c : f.sceneBuffer) EXPECT_EQ(c, kBackgroundColour);
    // From behind the eye to in front of it: only the visible part is drawn, down the middle column.
    drawLine3D(f, sceneTarget(f), {0, 0.5, 1}, {0, -0.5, -1}, 1);
    int drawn = 0;
    for (std::uint8_t c : f.sceneBuffer) drawn += c == 1;
    EXPECT_GT(drawn, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            if (f.sceneBuffer[static_cast<std::size_t>(y * 12 + x)] == 1) {
                EXPECT_EQ(x, f.halfWidth);
            }
}

TEST(PointMark, PlusForSmallSitesSinglePixelForLargeOnes) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 12, 8);
    drawGround(f);
    drawPointMark(f, sceneTarget(f), {4.5, 3.5, -0.5}, 1, 50000);
    EXPECT_EQ(mask(f, 1)[2].substr(3, 3), ".#.");
    EXPECT_EQ(mask(f, 1)[3].substr(3, 3), "###");
    EXPECT_EQ(mask(f, 1)[4].substr(3, 3), ".#.");

    drawPointMark(f, sceneTarget(f), {8.5, 3.5, -0.5}, 2, 50001);
    EXPECT_EQ(mask(f, 2)[3].substr(7, 3), ".#.");
    EXPECT_EQ(mask(f, 2)[2].substr(7, 3), "...");

    drawPointMark(f, sceneTarget(f), {1.0, 3.5, -0.5}, 3, 10);  // plus would touch the edge: not drawn
    drawPointMark(f, sceneTarget(f), {6.5, 5.5, -0.4}, 3, 10);  // behind the ground
    for (std::uint8_t c : f.sceneBuffer) EXPECT_NE(c, 3);
}

// Ground whose depth undulates around the lines', so that some of their pixels are hidden.
void undulatingGround(FrameBuffer& f) {
    for (int y = 0; y < f.viewHeight; ++y)
        for (int x = 0; x < f.viewWidth; ++x) {
            const auto i = static_cast<std::size_t>(y * f.viewWidth + x);
            f.depthBuffer[i] = -0.5 + 0.02 * std::sin(x * 0.05) * std::cos(y * 0.07);
            f.sceneBuffer[i] = 16;
        }
}

// Crossing, overlapping lines past every edge of the screen, some ending
// behind the eye, in three colours: where they overlap the last one drawn shows.
std::vector<ContourLine> crossingLines(const FrameBuffer& f, int count) {
    std::vector<ContourLine> lines;
    for (int i = 0; i < count; ++i) {
        const double y1 = (i * 37) % 800 - 40.0, y2 = (i * 53) % 800 - 40.0;
        const double w1 = -0.52 + 0.04 * ((i * 7) % 11) / 10.0, w2 = -0.52 + 0.04 * ((i * 5) % 13) / 12.0;
        ContourLine line{unproject(f, -60, y1, w1), unproject(f, f.viewWidth + 60.0, y2, w2),
                         static_cast<std::uint8_t>(i % 3 == 0 ? 250 : i % 3 == 1 ? 251 : 7)};
        if (i % 17 == 0) line.to = {line.to.x, line.to.y, 1.0};  // through the eye's plane
        lines.push_back(line);
    }
    return lines;
}

TEST(LineFragments, LaidOnTheSurfaceTheyGiveThePictureOfLinesDrawnOntoIt) {
    FrameBuffer straight, apart;
    sizedFrame(straight, 1280, 720);
    sizedFrame(apart, 1280, 720);
    undulatingGround(straight);
    undulatingGround(apart);
    // More pixels than the lists hold: the rest are drawn onto the surface afterwards.
    const std::vector<ContourLine> lines = crossingLines(straight, 3600);
    const Matrix view = Matrix::identity();

    for (const ContourLine& l : lines) drawLine3D(straight, sceneTarget(straight), l.from, l.to, l.colour);

    LineFragments fragments;
    rasterContourLines(apart, view, lines, fragments, apart.viewHeight / 2);
    ASSERT_GT(fragments.segmentsDone, 0u);
    ASSERT_LT(fragments.segmentsDone, lines.size());
    applyLineFragments(sceneTarget(apart), fragments.lower);  // the halves in either order
    applyLineFragments(sceneTarget(apart), fragments.upper);
    for (std::size_t i = fragments.segmentsDone; i < lines.size(); ++i)
        drawLine3D(apart, sceneTarget(apart), lines[i].from, lines[i].to, lines[i].colour);

    EXPECT_EQ(apart.sceneBuffer, straight.sceneBuffer);
    EXPECT_EQ(apart.depthBuffer, straight.depthBuffer);
}

}  // namespace
}  // namespace vellacor
