#include "render/status_text.h"

#include <gtest/gtest.h>

namespace vellacor {
namespace {

TEST(StatusText, FrameRateShownOnlyBelowTwentyOneFramesASecond) {
    EXPECT_EQ(frameRateText(1.0 / 20), "fps: 20.0");
    EXPECT_EQ(frameRateText(1.0 / 25), std::nullopt);
    EXPECT_EQ(frameRateText(0.0), std::nullopt);
}

TEST(StatusText, LinesInOrderWithoutGaps) {
    StatusFacts s;
    s.pointCount = 12;
    s.showContours = true;
    s.contourInterval = 2;
    EXPECT_EQ(statusLines(s), (std::vector<std::string>{"12 Points", "Contour Interval = 2"}));

    s.triangleCount = 20;
    s.contourInterval = 0.5;
    s.contourSmoothing = 0.7;
    s.showBreaklines = true;
    s.breaklineCount = 1;
    s.verticalScale = 1.1;
    EXPECT_EQ(statusLines(s), (std::vector<std::string>{"12 Points", "20 Triangles", "Contour Interval = 0.5",
                                                        "Contour Smoothing = 70%", "1 Breakline",
                                                        "Vertical Scale = 1.10"}));
    s.breaklineCount = 2;
    EXPECT_EQ(statusLines(s)[4], "2 Breaklines");
    s.particleCount = 5000;
    s.pondCount = 3;
    EXPECT_EQ(statusLines(s)[5], "5000 Particles");
    EXPECT_EQ(statusLines(s)[6], "3 Ponds");
    EXPECT_EQ(statusLines(s)[7], "Vertical Scale = 1.10");
    EXPECT_EQ(formatInterval(0.125), "0.125");
    EXPECT_EQ(formatInterval(500.0004), "500");
    EXPECT_EQ(breaklineProgressText(3, 12), "Adding Breaklines:  3");
}

}  // namespace
}  // namespace vellacor
