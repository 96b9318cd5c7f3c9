#include "app/shading_stage.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "support/fake_ui.h"
#include "support/grid_surface.h"

namespace vellacor {
namespace {

using testing::makeGridSurface;

void waitForShading(SiteModel& m) {
    while (!m.work.shading.finished()) std::this_thread::yield();
}

// The grid surface built, to be shown smooth.
struct SmoothShading : ::testing::Test {
    SiteModel m;
    testing::FakeUi ui;
    void SetUp() override {
        makeGridSurface(m.document);
        m.document.triangulateStage.done = true;
        m.display.surfaceMode = SurfaceMode::Smooth;
    }
};

TEST_F(SmoothShading, PipelineComputesNormalsOnAWorkerAndAdoptsThem) {
    ui.shadingAnswer = 30.0;
    runPipelineToCompletion(m, ui);
    EXPECT_EQ(ui.shadingDialogsShown, 1);
    ASSERT_TRUE(m.document.shadingStage.done);
    EXPECT_FALSE(m.document.shadingStage.running);
    EXPECT_FALSE(m.work.shading.active());
    VertexNormals expected;
    std::atomic<bool> cancelled{false};
    std::atomic<double> progress{0};
    ASSERT_TRUE(computeVertexNormals(vertexNormalInput(surfaceOf(m.document), 30.0), expected,
                                     JobControl(cancelled, progress)));
    ASSERT_EQ(m.renderer.shades.size(), m.document.triangles.size());
    EXPECT_DOUBLE_EQ(m.renderer.shades[7].normal[2].z, expected[7][2].z);
    ASSERT_TRUE(m.renderer.light);  // the light is made by the same pipeline step
    EXPECT_DOUBLE_EQ(m.renderer.light->position.z, m.camera.eye.z);
}

TEST_F(SmoothShading, OkWithNoAngleAsksOnceAndFallsBackToFlat) {
    ui.shadingAnswer = 0.0;  // OK with 0 or an empty field
    for (int frame = 0; frame < 3; ++frame) runPipeline(m, ui);
    EXPECT_EQ(ui.shadingDialogsShown, 1);
    EXPECT_EQ(m.display.surfaceMode, SurfaceMode::Flat);
    EXPECT_FALSE(m.document.shadingStage.running);
}

TEST(ShadingStage, RunningUntilAdoptedAResultForAnOlderSurfaceIsDroppedAndClearingCancels) {
    SiteModel m;
    makeGridSurface(m.document);
    m.display.gradeBreakAngle = 30.0;
    startShadingWorker(m);
    waitForShading(m);
    EXPECT_TRUE(m.document.shadingStage.running);  // the worker leaves the stage to the adoption
    m.document.points[static_cast<std::size_t>(m.document.triangles[3].vertex[0])].elevation += 1;  // changed meanwhile
    adoptShadingResult(m);
    EXPECT_FALSE(m.document.shadingStage.running);
    EXPECT_FALSE(m.document.shadingStage.done);
    EXPECT_FALSE(m.work.shading.active());
    EXPECT_TRUE(m.renderer.shades.empty());

    // Clearing the site cancels the worker.
    startShadingWorker(m);
    clearSite(m);
    EXPECT_FALSE(m.work.shading.active());
    EXPECT_FALSE(m.document.shadingStage.running);
    adoptShadingResult(m);
    EXPECT_FALSE(m.document.shadingStage.done);
}

TEST(LightCommands, CyclingTheLightAsksForARedraw) {
    SiteModel m;
    m.renderer.light = std::make_unique<Light>();
    m.renderer.redrawNeeded = false;
    cycleLightMode(m);
    EXPECT_EQ(m.renderer.light->lightMode, LightMode::Circling);
    EXPECT_TRUE(m.renderer.redrawNeeded);
    m.renderer.redrawNeeded = false;
    updateLight(m);  // the circling light moves every frame
    EXPECT_TRUE(m.renderer.redrawNeeded);
    setLightMode(m, LightMode::Headlamp);
    m.renderer.redrawNeeded = false;
    updateLight(m);
    EXPECT_FALSE(m.renderer.redrawNeeded);
}

}  // namespace
}  // namespace vellacor
