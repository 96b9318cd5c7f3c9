#include <gtest/gtest.h>

#include "app/idle_pacing.h"
#include "app/site_model.h"
#include "render/status_text.h"

namespace vellacor {
namespace {

TEST(StatusText, FrameRateShownOnlyBelowTwentyOneFramesASecond) {
    EXPECT_EQ(frameRateText(1.0 / 20), "fps: 20.0");
    EXPECT_EQ(frameRateText(1.0 / 25), std::nullopt);
    EXPECT_EQ(frameRateText(0.0), std::nullopt);
}

TEST(StatusText, LinesInOrderWithoutGaps) {
    SiteModel m;
    m.document.pointCount = 12;
    m.display.showContours = true;
    m.document.contours.contourInterval = 2;
    m.document.contours.contourSmoothing = 0.0;
    EXPECT_EQ(statusLines(m), (std::vector<std::string>{"12 Points", "Contour Interval = 2"}));

    m.document.triangleCount = 20;
    m.document.contours.contourInterval = 0.5;
    m.document.contours.contourSmoothing = 0.7;
    m.display.showBreaklines = true;
    m.document.breaklines.pairs = {{0, 1}};
    m.display.verticalScale = 1.1;
    EXPECT_EQ(statusLines(m), (std::vector<std::string>{"12 Points", "20 Triangles", "Contour Interval = 0.5",
                                                        "Contour Smoothing = 70%", "1 Breakline",
                                                        "Vertical Scale = 1.10"}));
    m.document.breaklines.pairs.push_back({1, 2});
    EXPECT_EQ(statusLines(m)[4], "2 Breaklines");
    EXPECT_EQ(formatInterval(0.125), "0.125");
    EXPECT_EQ(formatInterval(500.0004), "500");
}

TEST(StatusText, OneProgressMessageFirstThatApplies) {
    SiteModel m;
    EXPECT_EQ(progressMessage(m), std::nullopt);
    m.document.triangulateStage.running = true;
    m.document.shadingStage.running = true;
    EXPECT_EQ(progressMessage(m), "Building Surface");
    m.document.triangulateStage.running = false;
    m.document.triangulateStage.done = true;
    m.document.contourStage.running = true;
    EXPECT_EQ(progressMessage(m), "Topology");
    m.document.contourStage.running = false;
    EXPECT_EQ(progressMessage(m), "Smooth Shading");
    m.document.shadingStage.running = false;
    for (int i = 0; i < 12; ++i) m.document.breaklines.pairs.push_back({i, i + 1});
    m.document.breaklines.allInserted = false;
    m.document.breaklinesInserted = 3;
    EXPECT_EQ(progressMessage(m), "Adding Breaklines:  3");
}

TEST(IdlePacing, DelaysForEachState) {
    SiteModel m;
    EXPECT_EQ(idleDelayMs(m, true), 20);
    EXPECT_EQ(idleDelayMs(m, false), 200);
    m.display.showRain = true;
    EXPECT_EQ(idleDelayMs(m, true), 0);
    m.camera.mode = CameraMode::FlyTo;
    m.cycle.frameSeconds = 0.01;
    EXPECT_EQ(idleDelayMs(m, true), 23);
    m.cycle.frameSeconds = 0.05;
    EXPECT_EQ(idleDelayMs(m, true), 0);
}

}  // namespace
}  // namespace vellacor
