#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/site_model.h"

namespace vellacor {
namespace {

TEST(ClearSite, EmptiesTheSiteAndKeepsAnEmptyBreaklineList) {
    SiteModel m;
    m.document.points.push_back(SurveyPoint{});
    m.document.pointCount = 1;
    m.document.breaklines.pairs.push_back({0, 1});
    m.document.breaklines.allInserted = false;
    m.display.showPoints = m.display.showContours = m.display.showRain = true;
    m.display.surfaceMode = SurfaceMode::Elevation;
    m.document.contours.contourInterval = 5;
    m.document.triangulateStage.done = true;
    m.overlays.dxfOverlay = std::make_unique<CadOverlay>();
    clearSite(m);
    EXPECT_EQ(m.document.pointCount, 0);
    EXPECT_TRUE(m.document.breaklines.empty());
    EXPECT_TRUE(m.document.breaklines.ready());
    EXPECT_FALSE(m.display.showPoints || m.display.showContours || m.display.showRain);
    EXPECT_EQ(m.display.surfaceMode, SurfaceMode::Flat);
    EXPECT_EQ(m.document.contours.contourInterval, 1.0);
    EXPECT_FALSE(m.document.triangulateStage.done);
    EXPECT_EQ(m.input.selectedPoint, kNoSelection);
    EXPECT_NE(m.overlays.dxfOverlay, nullptr);  // the open deletes it, not the clear
}

TEST(ClearSite, WaitsForARunningWorker) {
    SiteModel m;
    std::atomic<bool> stopped{false};
    m.document.triangulateStage.running = true;
    m.work.triangulation.start(m.document.progress, [&](TriangulationOutput&, const JobControl& control) {
        while (!control.cancelled()) std::this_thread::yield();
        stopped = true;
        return false;
    });
    clearSite(m);
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(m.work.triangulation.active());
}

}  // namespace
}  // namespace vellacor
