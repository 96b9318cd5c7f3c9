#include <gtest/gtest.h>

#include <string>

#include "app/commands.h"
#include "app/document.h"
#include "app/pipeline.h"
#include "app/render_frame.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "app/site_edits.h"
#include "render/frame_buffer.h"
#include "support/fake_ui.h"
#include "support/grid_site_text.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// A small site, triangulated and drawn flat, and a real 256-colour picture.
struct TextureKeys : ::testing::Test {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;
    std::string picture = testing::sharedData("bmp/pal8.bmp");

    void SetUp() override {
        if (picture.empty()) GTEST_SKIP() << "shared data folder not present";
        ASSERT_EQ(openDocument(model, ui, dir.write("site.txt", testing::smallSiteText())), OpenResult::Loaded);
        runPipelineToCompletion(model, ui);
        ASSERT_TRUE(model.document.triangulateStage.done);
        resizeFrameBuffer(model, 160, 120);
        createFrameBitmap(model.renderer.frame, model.renderer.palette[0]);
    }
    void press(int key) { handleKey(model, ui, key); }
    bool bitmapInPictureColours() const {
        return model.renderer.frame.bitmapPalette == model.renderer.texture.palette &&
               model.renderer.frame.bitmapPalette != model.renderer.palette[0];
    }
    bool bitmapInActiveColours() const { return model.renderer.frame.bitmapPalette == model.renderer.palette[0]; }
};

TEST_F(TextureKeys, KeyRWithoutAPictureMakesTheRadialPatternInTheActiveColours) {
    model.renderer.redrawNeeded = false;
    press('R');
    EXPECT_EQ(model.display.surfaceMode, SurfaceMode::NormalTexture);
    const Texture& t = model.renderer.texture;
    EXPECT_EQ(t.width, 500);  // the radial pattern, drawn as the texture tests check
    EXPECT_TRUE(bitmapInActiveColours());
    EXPECT_TRUE(model.renderer.redrawNeeded);
    // T then swirls the pattern without asking for a picture.
    ui.openFileAnswers.push_back(picture);
    press('T');
    EXPECT_EQ(model.display.surfaceMode, SurfaceMode::SwirlTexture);
    EXPECT_EQ(ui.openFileAnswers.size(), 1u);
    EXPECT_TRUE(bitmapInActiveColours());
}

TEST_F(TextureKeys, APictureIsShownInItsOwnColoursOnlyWhileAModeShowsIt) {
    ui.openFileAnswers.push_back(picture);
    press('I');
    EXPECT_TRUE(hasUnsavedChanges(model));  // a placed texture wants saving
    EXPECT_EQ(model.display.surfaceMode, SurfaceMode::Flat);  // I keeps the mode
    EXPECT_EQ(model.renderer.texture.width, 127);
    EXPECT_TRUE(bitmapInActiveColours());

    press('R');  // the picture, not the radial pattern
    EXPECT_EQ(model.display.surfaceMode, SurfaceMode::NormalTexture);
    EXPECT_EQ(model.renderer.texture.width, 127);
    EXPECT_TRUE(bitmapInPictureColours());
    press('F');
    EXPECT_TRUE(bitmapInActiveColours());
    press('T');
    EXPECT_TRUE(bitmapInPictureColours());
    setSurfaceMode(model, SurfaceMode::ImageOnly);
    EXPECT_TRUE(bitmapInPictureColours());
    press('3');  // surface off: the site's own colours
    EXPECT_TRUE(bitmapInActiveColours());
}

TEST_F(TextureKeys, APictureThatCannotBeUsedKeepsTheOldTexture) {
    std::string rgb(54, '\0');
    rgb[0] = 'B', rgb[1] = 'M', rgb[2] = 54, rgb[14] = 40, rgb[18] = 1, rgb[22] = 1, rgb[28] = 24;
    const std::string rgbPath = dir.write("photo.bmp", rgb);
    // T with no texture asks; a 24-bit file is refused with its name, the mode still changes.
    ui.openFileAnswers.push_back(rgbPath);
    press('T');
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(rgbPath), std::string::npos);
    EXPECT_EQ(model.display.surfaceMode, SurfaceMode::SwirlTexture);
    EXPECT_FALSE(model.renderer.texture.loaded());
    EXPECT_TRUE(bitmapInActiveColours());

    ui.openFileAnswers = {picture, rgbPath, dir.write("cut.bmp", "BM")};
    press('I');
    press('I');
    press('I');
    EXPECT_EQ(model.renderer.texture.width, 127);
    EXPECT_TRUE(bitmapInPictureColours());
    EXPECT_EQ(ui.messages.size(), 2u);  // the unreadable file says nothing
}

TEST_F(TextureKeys, TheSwirlingSurfaceIsRedrawnEveryFrame) {
    OverlayTextList text;
    renderFrame(model, false, text);
    EXPECT_FALSE(model.renderer.redrawNeeded);  // flat: drawn once

    ui.openFileAnswers.push_back(picture);
    press('T');
    renderFrame(model, false, text);
    EXPECT_TRUE(model.renderer.redrawNeeded);
    const std::vector<std::uint8_t> first = model.renderer.frame.displayBits;
    for (int i = 0; i < 10; ++i) renderFrame(model, false, text);
    EXPECT_NE(model.renderer.frame.displayBits, first);
}

}  // namespace
}  // namespace vellacor
