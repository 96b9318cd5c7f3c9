#include "render/line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "raster_fixture.h"
#include "render/fill.h"
#include "render/line_fragments.h"

namespace vellacor {
namespace {

using testing::mask;
using testing::sizedFrame;
using testing::vertexAt;

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

using testing::sizedFrame;

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
