#include "app/status_display.h"

#include <gtest/gtest.h>

#include "app/site_model.h"

namespace vellacor {
namespace {

TEST(StatusDisplay, LinesFollowTheSiteAndTheSwitches) {
    SiteModel m;
    m.document.pointCount = 12;
    m.document.triangleCount = 20;
    m.display.showBreaklines = true;
    m.document.breaklines.pairs = {{0, 1}, {1, 2}};
    EXPECT_EQ(statusLines(m), (std::vector<std::string>{"12 Points", "20 Triangles", "2 Breaklines"}));
}

TEST(StatusDisplay, OneProgressMessageFirstThatApplies) {
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

}  // namespace
}  // namespace vellacor
