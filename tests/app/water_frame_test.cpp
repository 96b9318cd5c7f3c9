#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "app/commands.h"
#include "app/frame_cycle.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/status_display.h"
#include "app/surface_stages.h"
#include "render/frame_buffer.h"
#include "support/fake_ui.h"
#include "water/rain_system.h"
#include "water/water_support.h"

namespace vellacor {
namespace {

// A clock whose frames take a thirtieth of a second each, as the rain's
// drop count keeps them: the count neither grows nor shrinks.
Clock::time_point thirtyFramesASecond() {
    static Clock::time_point now{};
    now += std::chrono::microseconds(33333);
    return now;
}

// A site of the points with its surface built by the program's pipeline.
struct PipelineSite {
    SiteModel model;
    testing::FakeUi ui;
    SurfaceView surface() const { return linkedSurfaceOf(model); }
};

void buildWithPipeline(PipelineSite& site, const std::vector<testing::Xyz>& points) {
    clearSite(site.model);
    testing::loadPoints(site.model.document, points);
    runPipelineToCompletion(site.model, site.ui);
}

TEST(WaterFrames, KeySixBringsRainThatTheRainCameraRidesAndKeySevenPonds) {
    PipelineSite site;
    buildWithPipeline(site, testing::gridOf(11, 10.0, [](double x, double y) {
                           return 100.0 + 0.2 * x - (x == 50.0 && y == 50.0 ? 5.0 : 0.0);
                       }));
    SiteModel& model = site.model;
    model.cycle.now = &thirtyFramesASecond;
    model.cycle.frameStamp = thirtyFramesASecond();
    model.camera.OrbitTo(siteFrameOf(model.document), 1.0, kLoadHeading);  // as a load leaves it
    toggleRain(model);
    togglePonds(model);
    RgbImage picture;
    paintFrame(model, site.ui, 320, 240, picture);
    ASSERT_TRUE(model.water.rainSystem);
    ASSERT_TRUE(model.water.ponds);
    paintFrame(model, site.ui, 320, 240, picture);
    EXPECT_EQ(model.water.ponds->Count(), 1);
    const std::vector<std::string> lines = statusLines(model);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "5000 Particles"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "1 Ponds"), lines.end());
    // Key 7 off hides the ponds and keeps their water; on again shows it as it was.
    const double level = model.water.ponds->ponds()[0].level;
    togglePonds(model);
    paintFrame(model, site.ui, 320, 240, picture);
    ASSERT_TRUE(model.water.ponds);
    EXPECT_EQ(model.water.ponds->ponds()[0].level, level);
    togglePonds(model);
    // Rain drops are drawn in the water colours.
    const auto& bits = model.renderer.frame.displayBits;
    EXPECT_TRUE(std::any_of(bits.begin(), bits.end(), [](std::uint8_t c) { return c >= 239 && c <= 249; }));

    setCameraMode(model, CameraMode::RainCam);
    model.cycle.frameSeconds = 1.0 / 30.0;
    paintFrame(model, site.ui, 320, 240, picture);
    Vec3 drop;
    int triangle = 0;
    ASSERT_TRUE(model.water.rainSystem->GetDrop(0, drop, triangle));
    // The camera rides the drop (it moved on after the camera's step, within a frame).
    EXPECT_LT(std::hypot(model.camera.eye.x - drop.x, model.camera.eye.y - drop.y), 5.0);

    // Off and on again: the rain starts afresh with the fewest drops.
    toggleRain(model);
    toggleRain(model);
    EXPECT_EQ(model.water.rainSystem->ActiveCount(), 5000);
    // Triangle files bring no links for the drops to walk: key 6 does nothing there.
    model.document.pointFileFormat = PointFileFormat::Raw;
    toggleRain(model);
    EXPECT_TRUE(model.display.showRain);
}

// Ground falling towards +x under scattered rain.
// The step works out where each drop shows; drawing from those places must
// give the picture drawn from the drops themselves, also after the governor
// has copied drops and started their sources again.
TEST(RainSystem, DrawingFromThePlacesFoundInTheStepGivesThePictureOfTheDrops) {
    PipelineSite site;
    buildWithPipeline(site, testing::gridOf(11, 10.0, [](double x, double y) {
                           return 100.0 - 0.2 * x - (x == 50.0 && y == 50.0 ? 5.0 : 0.0);
                       }));
    SiteModel& model = site.model;
    model.camera.OrbitTo(siteFrameOf(model.document), 1.0, kLoadHeading);
    RgbImage picture;
    paintFrame(model, site.ui, 320, 240, picture);  // the scene and its depth
    FrameBuffer& frame = model.renderer.frame;
    const Matrix& view = model.camera.view;
    const RainGround ground{site.surface(), model.document.siteCentre, model.document.siteSize};
    RainSystem placed(3), unplaced(3);
    for (RainSystem* rain : {&placed, &unplaced}) rain->SetSpawnMode(SpawnMode::Scatter, ground);
    for (int i = 0; i < 60; ++i) {
        placed.Step(ground, 1.0 / 30.0, {}, std::nullopt, {&view, &frame});
        unplaced.Step(ground, 1.0 / 30.0, {});
        for (RainSystem* rain : {&placed, &unplaced}) rain->AdaptCount(i % 3 ? 1.0 / 60.0 : 1.0 / 20.0, ground);
        copySceneToDisplay(frame);
        const std::vector<std::uint8_t> scene = frame.displayBits;
        placed.Draw(frame, view);
        const std::vector<std::uint8_t> fromPlaces = frame.displayBits;
        copySceneToDisplay(frame);
        unplaced.Draw(frame, view);
        ASSERT_EQ(fromPlaces, frame.displayBits) << "frame " << i;
        ASSERT_NE(fromPlaces, scene);
    }
}

}  // namespace
}  // namespace vellacor
