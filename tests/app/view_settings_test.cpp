#include <gtest/gtest.h>

#include "app/site_model.h"
#include "app/status_display.h"
#include "app/view_settings.h"
#include "render/palette.h"

namespace vellacor {
namespace {

TEST(PaletteCycle, FiveStepsRestorePaletteZeroAndTheSurfaceMode) {
    SiteModel m;
    Palette grey;
    buildPalette(PaletteChoice::Grey, grey);
    m.display.surfaceMode = SurfaceMode::Smooth;
    for (int i = 1; i <= 4; ++i) cyclePalette(m);
    EXPECT_EQ(m.display.paletteIndex, PaletteChoice::Rainbow);
    EXPECT_EQ(m.display.surfaceMode, SurfaceMode::Elevation);  // elevation colouring with the rainbow
    m.renderer.redrawNeeded = false;
    cyclePalette(m);
    EXPECT_EQ(m.display.paletteIndex, PaletteChoice::Grey);
    EXPECT_EQ(m.display.surfaceMode, SurfaceMode::Smooth);
    EXPECT_TRUE(m.renderer.redrawNeeded);
    EXPECT_EQ(m.renderer.palette[0], grey);
    EXPECT_EQ(m.renderer.frame.bitmapPalette, grey);  // the bitmap shows the new palette
}

TEST(FrameSize, ResizingRemakesTheBitmapAndAsksForARedraw) {
    SiteModel m;
    createFrameBitmap(m.renderer.frame, m.renderer.palette[0]);
    m.renderer.redrawNeeded = false;
    resizeFrameBuffer(m, 101, 30);
    EXPECT_EQ(m.renderer.frame.displayBits.size(), 104u * 30);
    EXPECT_TRUE(m.renderer.redrawNeeded);
}

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
