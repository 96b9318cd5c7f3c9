#include "app/commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "app/breaklines.h"
#include "app/command_table.h"
#include "app/document.h"
#include "app/navigation.h"
#include "app/pipeline.h"
#include "app/render_frame.h"
#include "app/site_edits.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "platform/virtual_keys.h"
#include "render/frame_buffer.h"
#include "support/fake_ui.h"
#include "support/frame_clock.h"
#include "support/grid_site_text.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// A small site, loaded and triangulated, with the surface drawn flat.
struct CommandFixture : ::testing::Test {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;

    void SetUp() override {
        ASSERT_EQ(openDocument(model, ui, dir.write("site.txt", testing::smallSiteText())), OpenResult::Loaded);
        runPipelineToCompletion(model, ui);
        ASSERT_TRUE(model.document.triangulateStage.done);
    }
    void press(int key, int times = 1) {
        for (int i = 0; i < times; ++i) handleKey(model, ui, key);
    }
};

TEST_F(CommandFixture, VerticalScaleAndSmoothingStopAtTheirLimits) {
    double &scale = model.display.verticalScale, &smoothing = model.document.contours.contourSmoothing;
    const struct {
        double* value;
        double before;
        int key;
        double after;
    } cases[] = {{&scale, 9.5, vk::PageUp, 10.0},    {&scale, 0.105, vk::PageDown, 0.1}, {&scale, 0.1, vk::Home, 1.0},
                 {&smoothing, 0.95, vk::Insert, 1.0}, {&smoothing, 0.05, vk::Delete, 0.0}};
    for (const auto& c : cases) {
        *c.value = c.before;
        press(c.key);
        EXPECT_EQ(*c.value, c.after) << c.before;
    }
}

// + halves the interval, - doubles it, within 0.125 to 500 (the main
// keyboard's minus is the keypad's), and shows the contours: an interval
// typed in beyond those is never pulled back across them the wrong way.
TEST_F(CommandFixture, ContourIntervalKeysNeverMoveATypedIntervalTheWrongWay) {
    double& interval = model.document.contours.contourInterval;
    const struct {
        double typed;
        int key;
        double after;
    } cases[] = {
        {0.05, vk::Add, 0.05},        // finer than the keys go: + leaves it
        {0.05, vk::Subtract, 0.1},    // - makes it coarser
        {0.2, vk::Add, 0.125},        // + stops at the finest key step
        {1000.0, vk::Subtract, 1000.0},
        {1000.0, vk::Add, 500.0},
        {600.0, vk::Add, 300.0},
        {400.0, vk::OemMinus, 500.0},  // - stops at the coarsest
        {3.0, vk::Add, 1.5},
        {3.0, vk::Subtract, 6.0},
    };
    for (const auto& c : cases) {
        interval = c.typed;
        model.display.showContours = false;
        press(c.key);
        EXPECT_EQ(interval, c.after) << c.typed;
        EXPECT_TRUE(model.display.showContours);
        // Pressed again and again it never turns back.
        for (int i = 0; i < 12; ++i) {
            const double before = interval;
            press(c.key);
            if (c.key == vk::Add)
                EXPECT_LE(interval, before) << c.typed;
            else
                EXPECT_GE(interval, before) << c.typed;
        }
    }
}

TEST_F(CommandFixture, ContourOptionsSetTheIntervalAndTheLimitMode) {
    ContourSettings& c = model.document.contours;
    c.contourInterval = 2.5;
    press(vk::Multiply);  // cancelled: nothing changes
    EXPECT_EQ(ui.lastContourDefaults.interval, 2.5);
    EXPECT_FALSE(ui.lastContourDefaults.limitToPolygon);
    EXPECT_EQ(c.contourInterval, 2.5);
    ui.contourAnswer = ContourOptionsDialog{0.001, true};
    runCommand(model, ui, CommandId::Contouring);
    EXPECT_EQ(c.contourInterval, 0.01);  // the dialog's lower limit
    EXPECT_EQ(c.contourLimitMode, ContourLimitMode::InsidePolygon);
    ui.contourAnswer = ContourOptionsDialog{5.0, false};
    press(vk::Multiply);
    EXPECT_EQ(c.contourInterval, 5.0);
    EXPECT_EQ(c.contourLimitMode, ContourLimitMode::Everywhere);
}

TEST_F(CommandFixture, KeyThreeRestoresTheModeItFirstSaw) {
    DisplaySwitches& d = model.display;
    d.surfaceMode = SurfaceMode::Smooth;
    press('3');
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Off);
    press('3');
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Smooth);
    press('F');  // later modes are not remembered
    press('3', 2);
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Smooth);

    // Esc while the surface is being built shows the points alone; 3 brings the surface back.
    model.document.triangulateStage.done = false;
    model.document.triangulateStage.running = true;
    model.input.selectedPoint = 2;
    d.showTriangles = true;
    d.showPoints = false;
    press(vk::Escape);
    EXPECT_FALSE(model.document.triangulateStage.running);
    EXPECT_TRUE(d.showPoints);
    EXPECT_FALSE(d.showTriangles);
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Off);
    EXPECT_EQ(model.input.selectedPoint, kNoSelection);
    press('3');
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Smooth);
}

TEST_F(CommandFixture, KeyThreeFirstUsedWithTheSurfaceOffBringsBackFlatShading) {
    model.display.surfaceMode = SurfaceMode::Off;
    press('3');
    EXPECT_EQ(model.display.surfaceMode, SurfaceMode::Flat);
}

TEST_F(CommandFixture, EscKeepsWhatIsFinishedAndDropsSmoothShadingWithoutNormals) {
    DisplaySwitches& d = model.display;
    model.document.shadingStage.done = false;
    d.surfaceMode = SurfaceMode::Smooth;
    d.showTriangles = true;
    d.showRain = true;
    press(vk::Escape);
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Flat);
    EXPECT_TRUE(d.showTriangles);
    EXPECT_TRUE(d.showRain);  // the links are done: the rain may stay
    EXPECT_FALSE(d.showDxfOverlay);  // no drawing was read
}

TEST_F(CommandFixture, EscDuringBreaklineInsertionLeavesNothingForTheNextOneToRestore) {
    DisplaySwitches& d = model.display;
    SiteDocument& doc = model.document;
    // The grid's rows: nine breaklines, more than one insertion step takes
    // when each seems to take 20 ms.
    model.cycle.now = &testing::clockAdvancing<20000>;
    for (int i = 0; i < 12; ++i)
        if (i % 4 != 3) {
            ASSERT_TRUE(addBreakline(model, i, i + 1));
        }
    const auto insertAgain = [&] {
        doc.breaklines.allInserted = false;
        doc.breaklinesInserted = 0;
    };
    insertAgain();
    d.surfaceMode = SurfaceMode::Elevation;
    d.showTriangles = false;
    insertBreaklinesStep(model);
    ASSERT_FALSE(doc.breaklines.ready());
    press(vk::Escape);
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Flat);

    // The user's view at the next insertion is the one that comes back.
    d.surfaceMode = SurfaceMode::Smooth;
    d.showTriangles = true;
    insertAgain();
    for (int step = 0; step < 10 && !doc.breaklines.ready(); ++step) insertBreaklinesStep(model);
    ASSERT_TRUE(doc.breaklines.ready());
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Smooth);
    EXPECT_TRUE(d.showTriangles);
}

TEST_F(CommandFixture, RainKeyIsIgnoredForTriangleFilesAndNeedsNoRedraw) {
    model.renderer.redrawNeeded = false;
    press('6');
    EXPECT_TRUE(model.display.showRain);
    EXPECT_FALSE(model.renderer.redrawNeeded);
    model.document.pointFileFormat = PointFileFormat::Raw;
    press('6');
    EXPECT_TRUE(model.display.showRain);
}

TEST_F(CommandFixture, KeypadDigitsAndF1AreNormalised) {
    const bool points = model.display.showPoints;
    press(vk::Numpad0 + 1);
    EXPECT_NE(model.display.showPoints, points);
    press(vk::F1);
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& help = ui.messages[0];
    EXPECT_EQ(help.rfind("Vellacor - Help (", 0), 0u);
    EXPECT_NE(help.find(")\n\nOpen:\n\tSurvey Point file:\n"), std::string::npos);
    EXPECT_NE(help.find("\n\tSave as...\n\t\tPoints, contours, breaklines, and surface are saved as a DXF or XML file.\n"),
              std::string::npos);
}

TEST_F(CommandFixture, MenuAndKeyShareOperationsWithTheTwoListedDifferences) {
    DisplaySwitches& d = model.display;
    d.showPoints = false;
    runCommand(model, ui, CommandId::Description);
    EXPECT_TRUE(d.showPointDescriptions);
    EXPECT_FALSE(d.showPoints);  // the menu leaves the points alone
    press(vk::F3, 2);
    EXPECT_TRUE(d.showPoints);   // the key shows them with the descriptions

    d.surfaceMode = SurfaceMode::Smooth;
    runCommand(model, ui, CommandId::SmoothShading);
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Flat);
    runCommand(model, ui, CommandId::SmoothShading);
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Smooth);
    press('G', 2);
    EXPECT_EQ(d.surfaceMode, SurfaceMode::Smooth);

    runCommand(model, ui, CommandId::ViewRotating);
    EXPECT_EQ(commandState(model, CommandId::ViewRotating).checked, false);  // still gliding into the orbit
    runCommand(model, ui, CommandId::ViewPlanView);
    EXPECT_TRUE(commandState(model, CommandId::ViewPlanView).checked);
    EXPECT_FALSE(commandState(model, CommandId::ToolPlanView).enabled);
}

TEST_F(CommandFixture, EnableRulesForALoadedSite) {
    const auto state = [this](CommandId id) { return commandState(model, id); };
    model.display.showTriangles = true;
    EXPECT_EQ(state(CommandId::Triangles), (CommandState{true, true}));
    EXPECT_EQ(state(CommandId::SaveAs), (CommandState{true, false}));
    EXPECT_EQ(state(CommandId::Print), (CommandState{true, false}));
    EXPECT_TRUE(state(CommandId::SavePoints).enabled);
    EXPECT_FALSE(state(CommandId::UndoBreakline).enabled);  // no breaklines
    EXPECT_FALSE(state(CommandId::ToolBreaklines).enabled);
    EXPECT_FALSE(state(CommandId::CadLines).enabled);        // no drawing over the site
    EXPECT_FALSE(state(CommandId::ToolCadOverlay).enabled);
    EXPECT_FALSE(state(CommandId::ViewRainCam).enabled);    // only while it rains
    model.display.showRain = true;
    EXPECT_TRUE(state(CommandId::ViewRainCam).enabled);
    EXPECT_TRUE(state(CommandId::ViewStationary).checked);
    model.document.breaklines.pairs.push_back({0, 1});
    EXPECT_TRUE(state(CommandId::UndoBreakline).enabled);

    model.document.contourStage.done = false;  // links not ready yet
    EXPECT_FALSE(state(CommandId::SmoothShading).enabled);
    EXPECT_FALSE(state(CommandId::ToolRain).enabled);
    EXPECT_FALSE(state(CommandId::OverlayCadFile).enabled);
    EXPECT_TRUE(state(CommandId::Rain).enabled);  // the menu item needs only the triangles
}

// Every item and button of an empty site: only opening, help and exit are
// offered, and each runs an operation unless the window runs it itself.
TEST(CommandTable, AnEmptySiteOffersOnlyOpeningHelpAndExitAndEveryItemReachesAnOperation) {
    SiteModel model;
    testing::FakeUi ui;
    int items = 0;
    const auto check = [&](CommandId id, const std::string& text) {
        ++items;
        const bool always = id == CommandId::Open || id == CommandId::RecentFile || id == CommandId::Exit ||
                            id == CommandId::Help || id == CommandId::About;
        EXPECT_EQ(commandState(model, id).enabled, always) << text;
        const bool windowOwn = id == CommandId::Open || id == CommandId::RecentFile || id == CommandId::Exit ||
                               id == CommandId::About || id == CommandId::OpenComparison ||
                               id == CommandId::VolumeToElevation;
        EXPECT_EQ(runCommand(model, ui, id), !windowOwn) << text;
    };
    for (const Menu& menu : mainMenu())
        for (const MenuEntry& item : menu.items) {
            if (item.id != CommandId::None) check(item.id, item.text);
            for (const MenuEntry& sub : item.items) check(sub.id, sub.text);
        }
    const std::vector<ToolButton> buttons = toolbarButtons();
    ASSERT_EQ(buttons.size(), 12u);
    EXPECT_EQ(buttons.front().toolTip, "Plan View");
    EXPECT_EQ(buttons.back().toolTip, "CAD Overlay");
    for (const ToolButton& b : buttons) {
        ++items;
        EXPECT_FALSE(commandState(model, b.id).enabled) << b.toolTip;
        EXPECT_TRUE(runCommand(model, ui, b.id)) << b.toolTip;
    }
    EXPECT_EQ(items, 46 + 12);
}

// Menus, keys and help are made from the same rows: the hint of every menu
// item names the key whose row is that item (for "View Point" and "Light",
// the row of the key the heading names), and the help lists every key.
TEST(CommandTable, EveryMenuHintIsTheKeyThatRunsTheItemAndTheHelpListsEveryKey) {
    std::map<std::string, KeyStroke> keyNamed;
    for (const Command& row : commandTable()) {
        EXPECT_TRUE(row.id != CommandId::None || row.key) << "a row with neither item nor key";
        for (const KeyStroke key : {row.key, row.otherKey})
            if (key) {
                EXPECT_TRUE(keyNamed.emplace(keyName(key), key).second) << keyName(key) << " runs two rows";
                EXPECT_FALSE(row.help.empty()) << keyName(key);
            }
    }
    int hints = 0;
    const std::function<void(const MenuEntry&)> check = [&](const MenuEntry& entry) {
        for (const MenuEntry& sub : entry.items) check(sub);
        const std::size_t tab = entry.text.find('\t');
        if (tab == std::string::npos) return;
        ++hints;
        const std::string hint = entry.text.substr(tab + 1, entry.text.find_last_not_of(' ') - tab);
        const auto named = keyNamed.find(hint);
        ASSERT_NE(named, keyNamed.end()) << entry.text;
        const Command* runs = commandForKey(named->second);
        ASSERT_NE(runs, nullptr) << entry.text;
        EXPECT_EQ(runs->id, entry.keyOf) << entry.text;
        if (entry.id != CommandId::None) {
            EXPECT_EQ(runs->id, entry.id) << entry.text;
        }
    };
    for (const Menu& menu : mainMenu())
        for (const MenuEntry& entry : menu.items) check(entry);
    EXPECT_EQ(hints, 24);

    const std::string help = keyHelpText();
    EXPECT_EQ(help.rfind("Keys in the window:\n", 0), 0u);
    // A key's name stands first on its line or second after a comma.
    const auto listed = [&help](const std::string& name) {
        for (const char* before : {"\n  ", ", "})
            for (const char* after : {", ", "  "})
                if (help.find(before + name + after) != std::string::npos) return true;
        return false;
    };
    for (const auto& [name, key] : keyNamed) EXPECT_TRUE(listed(name)) << name;
    for (const Command& row : commandTable())
        if (row.key) {
            EXPECT_NE(help.find(std::string(row.help) + "\n"), std::string::npos) << row.help;
        }
    for (const FlightKeys& keys : flightKeys()) {
        EXPECT_TRUE(listed(keyName(plainKey(keys.key))) && listed(keyName(plainKey(keys.otherKey))));
        EXPECT_NE(help.find(std::string(keys.help) + "\n"), std::string::npos);
    }
}

// The small site drawn flat, and a real 256-colour picture.
struct TextureKeys : CommandFixture {
    std::string picture = testing::sharedData("bmp/pal8.bmp");

    void SetUp() override {
        if (picture.empty()) GTEST_SKIP() << "shared data folder not present";
        CommandFixture::SetUp();
        resizeFrameBuffer(model, 160, 120);
        createFrameBitmap(model.renderer.frame, model.renderer.palette[0]);
    }
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
