#include "render/line_fragments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "raster_fixture.h"
#include "render/line.h"

namespace vellacor {
namespace {

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
