#include "app/navigation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "app/command_table.h"
#include "app/commands.h"
#include "app/document.h"
#include "app/frame_cycle.h"
#include "app/pipeline.h"
#include "app/render_frame.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "camera/vector_math.h"
#include "import/cad_overlay.h"
#include "platform/virtual_keys.h"
#include "render/frame_buffer.h"
#include "render/frame_projection.h"
#include "support/fake_ui.h"
#include "support/grid_site_text.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

void expectNear(const Vec3& a, const Vec3& b, double tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// An 11 x 11 grid of points 100 units apart (a 1000-unit site, large enough
// for the free flight to act), gently rolling, triangulated and drawn once
// from the load view, which looks north over the site with sky at the top.
struct NavigationFixture : ::testing::Test {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;
    static constexpr int kWidth = 200, kHeight = 150;
    int spacing = 100;

    void SetUp() override {
        ASSERT_EQ(openDocument(model, ui, dir.write("site.txt", testing::gridSiteText("TOPO", spacing))), OpenResult::Loaded);
        runPipelineToCompletion(model, ui);
        ASSERT_TRUE(model.document.triangulateStage.done);
        resizeFrameBuffer(model, kWidth, kHeight);
        createFrameBitmap(model.renderer.frame, model.renderer.palette[0]);
        draw();
    }
    void draw() {
        OverlayTextList text;
        model.renderer.redrawNeeded = true;
        renderFrame(model, false, text);
    }
    Pixel centre() const {
        const FrameBuffer& f = model.renderer.frame;
        return {f.viewWidth / 2, f.viewHeight / 2};
    }
    double size() const { return model.document.siteSize; }
    void putCursor(Pixel at) {
        model.input.cursorInView = true;
        model.input.cursorX = at.x;
        model.input.cursorY = at.y;
    }
};

TEST_F(NavigationFixture, ElevationPaneShowsTheGroundUnderTheCursor) {
    putCursor({centre().x, 0});
    EXPECT_EQ(elevationPaneText(model), "Elev: ");
    putCursor(centre());
    const std::string text = elevationPaneText(model);
    const double z = groundAt(model, centre())->z;
    EXPECT_GE(z, 100.0);  // the site's heights, not scaled ones
    EXPECT_LE(z, 106.0);
    EXPECT_EQ(text, "Elev: " + std::to_string(std::round(z * 100.0) / 100.0).substr(0, 6));
}

TEST_F(NavigationFixture, AxisMarkerShowsTheTargetInItsColoursAndLightsUpWhenDragged) {
    const CameraInputs in = cameraInputsOf(model);
    model.camera.OrbitBy(in.surface, in.site, 120, 0);  // looking north-west: every arrow shows its side
    draw();
    model.camera.target = *groundAt(model, centre());
    draw();
    const std::vector<std::uint8_t> plain = model.renderer.frame.displayBits;
    const auto markerColours = [&] {
        std::set<int> colours;
        const std::vector<std::uint8_t>& now = model.renderer.frame.displayBits;
        for (std::size_t i = 0; i < now.size(); ++i)
            if (now[i] != plain[i]) colours.insert(now[i]);
        return colours;
    };
    model.renderer.axisMarkerShown = true;
    draw();
    EXPECT_EQ(markerColours(), (std::set<int>{1, 3, 4}));
    model.input.movingAxis = true;
    draw();
    EXPECT_EQ(markerColours(), (std::set<int>{2}));
}

TEST_F(NavigationFixture, WheelOverSkyFliesForwardAndOverGroundZoomsToTheTarget) {
    Camera& cam = model.camera;
    ASSERT_TRUE(groundAt(model, centre()));
    ASSERT_FALSE(groundAt(model, {centre().x, 0}));
    // A drawing awaiting alignment, hidden: the wheel passes it by.
    model.overlays.dwfOverlay = std::make_unique<CadOverlay>();
    model.overlays.dwfOverlay->aligned = false;
    model.display.showDwfOverlay = false;
    const double scale = model.overlays.dwfOverlay->view.scale;
    putCursor({centre().x, 0});  // sky
    const Vec3 eye = cam.eye;
    turnWheel(model, 120);
    expectNear(cam.eye, eye + 0.075 * size() * cam.direction, 1e-9);
    EXPECT_EQ(model.overlays.dwfOverlay->view.scale, scale);
    turnWheel(model, -120);  // backwards moves back whatever is under the cursor
    expectNear(cam.eye, eye, 1e-9);

    putCursor(centre());  // ground, Stationary: 15 % closer to the unmoved target
    const Vec3 target = cam.target;
    turnWheel(model, 60);  // less than a notch, either way, does nothing
    turnWheel(model, -60);
    expectNear(cam.eye, eye, 0.0);
    const double before = distance(cam.eye, target);
    turnWheel(model, 240);  // one step however many notches
    EXPECT_NEAR(distance(cam.eye, target), 0.85 * before, 1e-9);
    expectNear(cam.target, target, 0.0);

    model.display.showDwfOverlay = true;  // shown, the drawing takes the wheel
    turnWheel(model, 120);
    EXPECT_LT(model.overlays.dwfOverlay->view.scale, scale);
}

TEST_F(NavigationFixture, WheelInFreelookFirstMovesTheTargetToTheGround) {
    Camera& cam = model.camera;
    toggleFreelook(model);
    ASSERT_EQ(cam.mode, CameraMode::Freelook);
    draw();
    putCursor(centre());
    const Vec3 ground = *groundAt(model, centre());
    const double before = distance(cam.eye, ground);
    turnWheel(model, 120);
    expectNear(cam.target, ground, 1e-9);
    EXPECT_NEAR(distance(cam.eye, ground), 0.85 * before, 1e-9);
}

TEST_F(NavigationFixture, LeftPressStopsAnAutomaticModeButNotFreeFlight) {
    model.camera.mode = CameraMode::Rotating;
    pressLeftButton(model);
    EXPECT_EQ(model.camera.mode, CameraMode::Stationary);
    releaseLeftButton(model, ui);
    model.camera.mode = CameraMode::Freelook;
    pressLeftButton(model);
    EXPECT_EQ(model.camera.mode, CameraMode::Freelook);
}

TEST_F(NavigationFixture, PressesShorterThanAFifthOfASecondAreClicks) {
    pressLeftButton(model);
    model.input.leftPressTime = Clock::now() - std::chrono::milliseconds(150);
    releaseLeftButton(model, ui);
    EXPECT_FALSE(model.input.longPressEnded);
    pressRightButton(model);
    model.input.rightPressTime = Clock::now() - std::chrono::milliseconds(200);
    releaseRightButton(model);
    EXPECT_TRUE(model.input.longPressEnded);
    // The next paint redraws in full quality.
    RgbImage picture;
    model.renderer.redrawNeeded = false;
    paintFrame(model, ui, kWidth, kHeight, picture);
    EXPECT_FALSE(model.input.longPressEnded);
}

TEST_F(NavigationFixture, WInWildGoesStationaryAndFliesForward) {
    model.camera.SetMode(cameraInputsOf(model), CameraMode::WildStart);
    model.camera.mode = CameraMode::Wild;
    ui.keysDown = {'W'};
    RgbImage picture;
    paintFrame(model, ui, kWidth, kHeight, picture);
    EXPECT_EQ(model.camera.mode, CameraMode::Stationary);
    EXPECT_GT(dot(model.camera.velocity, model.camera.direction), 0.0);

    // Behind another program the keys do nothing.
    model.camera.velocity = {};
    ui.foreground = false;
    paintFrame(model, ui, kWidth, kHeight, picture);
    EXPECT_EQ(length(model.camera.velocity), 0.0);
}

TEST_F(NavigationFixture, HeldKeySettlesAtAnEighthOfTheSitePerSecond) {
    ui.keysDown = {vk::Space};
    RgbImage picture;
    for (int frame = 0; frame < 150; ++frame) paintFrame(model, ui, kWidth, kHeight, picture);
    EXPECT_EQ(model.camera.mode, CameraMode::Stationary);
    EXPECT_NEAR(length(model.camera.velocity), 0.125 * size(), 1e-6);
    EXPECT_GT(model.camera.velocity.z, 0.0);  // space rises
}

// The same grid with points 5 apart: a 50-unit site.
struct SmallSiteFixture : NavigationFixture {
    SmallSiteFixture() { spacing = 5; }
};

TEST_F(SmallSiteFixture, HeldKeysFlyASmallSiteAndItComesToRest) {
    ASSERT_LT(size(), 100.0);
    ui.keysDown = {'W'};
    RgbImage picture;
    const Vec3 eye = model.camera.eye;
    for (int frame = 0; frame < 150; ++frame) paintFrame(model, ui, kWidth, kHeight, picture);
    EXPECT_NEAR(length(model.camera.velocity), 0.125 * size(), 1e-6);
    EXPECT_GT(dot(model.camera.eye - eye, model.camera.direction), 0.0);  // flew forward
    ui.keysDown.clear();
    for (int frame = 0; frame < 60; ++frame) paintFrame(model, ui, kWidth, kHeight, picture);
    EXPECT_EQ(length(model.camera.velocity), 0.0);  // no slow drift left over
}

TEST_F(NavigationFixture, VTwiceReanchorsTheTargetAtTheGroundInTheMiddle) {
    const Vec3 seen = *groundAt(model, centre());
    handleKey(model, ui, 'V');
    EXPECT_EQ(model.camera.mode, CameraMode::Freelook);
    handleKey(model, ui, 'V');
    EXPECT_EQ(model.camera.mode, CameraMode::Stationary);
    expectNear(model.camera.target, seen, 1e-6);
}

TEST_F(NavigationFixture, DragFromTheAxisCarriesTheTargetElsewhereTheViewOrbits) {
    Camera& cam = model.camera;
    const Pixel c = centre();
    cam.target = *groundAt(model, c);
    moveMouse(model, {c.x + 1, c.y});  // the mouse arrives
    pressLeftButton(model);
    EXPECT_FALSE(moveMouse(model, c));  // the first move decides and moves nothing
    EXPECT_TRUE(model.input.movingAxis);
    const Pixel there{c.x + 20, c.y + 10};
    moveMouse(model, there);
    expectNear(cam.target, *groundAt(model, there), 1e-9);
    releaseLeftButton(model, ui);
    EXPECT_FALSE(model.input.movingAxis);

    // A drag starting away from the axis orbits round the target.
    const Vec3 eye = cam.eye;
    pressLeftButton(model);
    moveMouse(model, {c.x + 40, c.y});
    EXPECT_TRUE(model.input.leftDragLooking);
    EXPECT_FALSE(model.input.movingAxis);
    expectNear(cam.eye, eye, 0.0);
    EXPECT_TRUE(moveMouse(model, {c.x + 50, c.y}));
    EXPECT_NEAR(distance(cam.eye, cam.target), distance(eye, cam.target), 1e-6);
    EXPECT_GT(distance(cam.eye, eye), 1.0);
}

TEST_F(NavigationFixture, DragOutsideStationaryTurnsTheViewWithTheMouse) {
    Camera& cam = model.camera;
    toggleFreelook(model);
    moveMouse(model, {100, 70});
    pressLeftButton(model);
    moveMouse(model, {101, 70});  // decides: looking
    const Vec3 eye = cam.eye;
    const double heading = Heading(cam.direction.x, cam.direction.y);
    const double polar = polarAngle(cam.direction.z);
    EXPECT_TRUE(moveMouse(model, {121, 80}));  // right and down
    EXPECT_NEAR(Heading(cam.direction.x, cam.direction.y), heading - 0.1, 1e-9);  // turned right
    EXPECT_NEAR(polarAngle(cam.direction.z), polar + 0.05, 1e-9);               // looks further down
    expectNear(cam.eye, eye, 0.0);
}

TEST_F(NavigationFixture, RightDragIgnoresItsFirstMoveThenZooms) {
    Camera& cam = model.camera;
    moveMouse(model, {100, 70});
    pressRightButton(model);
    const double before = distance(cam.eye, cam.target);
    EXPECT_FALSE(moveMouse(model, {100, 80}));
    EXPECT_NEAR(distance(cam.eye, cam.target), before, 1e-9);
    EXPECT_TRUE(moveMouse(model, {100, 70}));  // up: closer
    EXPECT_NEAR(distance(cam.eye, cam.target), before * (1.0 - 0.075), 1e-6);
}

TEST_F(NavigationFixture, HoldingTheRightButtonOutsideStationaryFliesToTheCursor) {
    toggleFreelook(model);
    draw();
    putCursor(centre());
    pressRightButton(model);
    const ViewPointer pointer(model, ui);  // as during a paint
    EXPECT_TRUE(keyboardFlight(model, ui));
    EXPECT_EQ(model.camera.mode, CameraMode::FlyTo);
    EXPECT_FALSE(ui.cursorMovedTo.empty());  // the picked ground stays under the cursor
    // In Stationary the right button zooms instead.
    model.camera.mode = CameraMode::Stationary;
    EXPECT_FALSE(keyboardFlight(model, ui));
}

TEST_F(NavigationFixture, DoubleClicksSelectAndDeselectAPoint) {
    const ProjectedPoint q =
        project(model.renderer.frame, cameraSpaceOf(model.document.points[60], model.renderer.sceneView));
    const Pixel onPoint{static_cast<int>(q.x + 0.5), static_cast<int>(q.y + 0.5)};
    doubleClick(model, ui, {centre().x, 0}, false);  // sky, nothing selected
    EXPECT_EQ(model.input.selectedPoint, kNoSelection);
    doubleClick(model, ui, onPoint, false);
    EXPECT_EQ(model.input.selectedPoint, 60);
    doubleClick(model, ui, onPoint, false);
    EXPECT_EQ(model.input.selectedPoint, kNoSelection);
    doubleClick(model, ui, onPoint, true);  // Ctrl: the cross section's, not a selection
    EXPECT_EQ(model.input.selectedPoint, kNoSelection);
}

TEST_F(NavigationFixture, CtrlDoubleClicksPickTheSectionDrawItLiveAndSaveIt) {
    const Pixel left{centre().x - 40, centre().y + 30}, right{centre().x + 40, centre().y + 30};
    doubleClick(model, ui, {centre().x, 0}, true);  // sky: the section exists, with no end yet
    ASSERT_TRUE(model.input.section);
    EXPECT_FALSE(model.input.section->hasStart());
    putCursor(right);
    draw();
    const auto& bits = model.renderer.frame.displayBits;
    const auto count = [&bits](std::uint8_t colour) { return std::count(bits.begin(), bits.end(), colour); };
    const auto line = count(6), ground = count(1);
    doubleClick(model, ui, left, true);
    ASSERT_TRUE(model.input.section && model.input.section->hasStart());

    // Following the cursor: the line (colour 6) and the profile (colour 1) over the view.
    draw();
    EXPECT_GT(count(6), line + 20);
    EXPECT_GT(count(1), ground + 20);

    const std::string path = dir.path("Section_AA.dxf");
    ui.saveFileAnswers.push_back(path);
    doubleClick(model, ui, right, true);
    EXPECT_FALSE(model.input.section);
    ASSERT_EQ(ui.saveFilters.size(), 1u);
    EXPECT_EQ(ui.saveFilters[0], "DXF file (*.dxf)|*.dxf||");
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back(), "Saved File:\n\n" + fullPath(path));
    EXPECT_NE(testing::readFile(path).find("%%USECTION A-A%%U"), std::string::npos);

    // A cancelled chooser writes nothing, and the section is gone all the same.
    doubleClick(model, ui, left, true);
    doubleClick(model, ui, right, true);
    EXPECT_FALSE(model.input.section);
    EXPECT_EQ(ui.saveFilters.size(), 2u);
}

}  // namespace
}  // namespace vellacor
