#include <gtest/gtest.h>

#include <cmath>

#include "raster_fixture.h"
#include "render/fill.h"

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

TEST(Fill, GouraudTriangleTruncatesTheShade) {
    FrameBuffer frame;
    FrameBuffer& f = sizedFrame(frame, 8, 8);
    // shade = 10x + 10y - 3.5 over the triangle: x.5 at every pixel
    const ClipVertex tri[3] = {vertexAt(f, 1.25, 1.25, -0.5, 21.5), vertexAt(f, 1.25, 5.25, -0.5, 61.5),
                               vertexAt(f, 5.25, 5.25, -0.5, 101.5)};
    fillPolygon(f, sceneTarget(f), FillMode::Gouraud, tri, 3, 0);
    auto at = [&](int x, int y) { return static_cast<int>(f.sceneBuffer[static_cast<std::size_t>(y * 8 + x)]); };
    EXPECT_EQ(at(2, 2), 36);
    EXPECT_EQ(at(2, 3), 46);
    EXPECT_EQ(at(3, 3), 56);
    EXPECT_EQ(at(2, 4), 56);
    EXPECT_EQ(at(4, 4), 76);
    EXPECT_EQ(at(2, 5), 66);
    EXPECT_EQ(at(5, 5), 96);
    EXPECT_EQ(at(6, 5), kBackgroundColour);
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

}  // namespace
}  // namespace vellacor
