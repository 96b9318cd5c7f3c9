#include "app/view_settings.h"

#include <gtest/gtest.h>

#include "app/site_model.h"
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

}  // namespace
}  // namespace vellacor
