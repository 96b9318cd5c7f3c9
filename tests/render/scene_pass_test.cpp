#include "render/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "camera/vector_math.h"
#include "render/frame_buffer.h"
#include "render/light.h"
#include "render/vertex_normals.h"
#include "support/grid_surface.h"

namespace vellacor {
namespace {

TEST(ScenePasses, SurfaceModesFallBackToFlatUntilWhatTheyNeedIsThere) {
    EXPECT_EQ(drawableSurfaceMode(SurfaceMode::Smooth, false, true), SurfaceMode::Flat);
    EXPECT_EQ(drawableSurfaceMode(SurfaceMode::Smooth, true, false), SurfaceMode::Smooth);
    EXPECT_EQ(drawableSurfaceMode(SurfaceMode::NormalTexture, true, false), SurfaceMode::Flat);
    EXPECT_EQ(drawableSurfaceMode(SurfaceMode::ImageOnly, false, true), SurfaceMode::ImageOnly);
    EXPECT_EQ(drawableSurfaceMode(SurfaceMode::Elevation, false, false), SurfaceMode::Elevation);
    EXPECT_EQ(surfaceModeFromInt(9), std::nullopt);
    EXPECT_EQ(surfaceModeFromInt(8), SurfaceMode::CutFill);
    EXPECT_EQ(surfaceModeFromInt(6), SurfaceMode::Water);
}

// The grid surface seen from the south, above it.
struct SurfacePass : ::testing::Test {
    SiteDocument site;
    RendererState state;
    Camera camera;

    void SetUp() override {
        testing::makeGridSurface(site);
        resizeFrameBuffer(state.frame, 120, 90, state.palette[0]);
        state.light = std::make_unique<Light>();
        camera.eye = {15, -40, 160};
        camera.direction = normalise(Vec3{0, 1, -1});
        camera.BuildView(1.0, state.frame.viewWidth, state.frame.viewHeight);
        state.light->position = camera.eye;
        clearSceneBuffers(state.frame);
        transformPoints(state, std::span<SurveyPoint>(site.points).first(16), camera.view);
    }

    int drawn() const {
        return static_cast<int>(std::count_if(state.frame.sceneBuffer.begin(), state.frame.sceneBuffer.end(),
                                              [](std::uint8_t c) { return c != kBackgroundColour; }));
    }
};

TEST_F(SurfacePass, FlatColoursGoToTheRenderersOwnArray) {
    drawSurfaceLayer(state, surfaceOf(site), camera, SurfaceMode::Flat, {}, false);
    ASSERT_EQ(state.flatColours.size(), 18u);
    for (std::uint8_t c : state.flatColours) {
        EXPECT_GE(c, 26);
        EXPECT_LE(c, 155);
    }
    EXPECT_GT(drawn(), 100);
    EXPECT_TRUE(state.sceneCornersFresh);
    EXPECT_EQ(state.sceneCorners.corners.size(), 18u);
}

TEST_F(SurfacePass, SmoothSurfaceShadesFromTheAdoptedNormals) {
    VertexNormals up(18, {Vec3{0, 0, 1}, Vec3{0, 0, 1}, Vec3{0, 0, 1}});
    setVertexNormals(state, up);
    drawSurfaceLayer(state, surfaceOf(site), camera, SurfaceMode::Smooth, {}, false);
    EXPECT_GT(drawn(), 100);
    EXPECT_GE(state.shades[4].shade[1], 16.0);
    EXPECT_LE(state.shades[4].shade[1], 229.0);
}

// Two threads fill the two halves of the frame: together they must give the
// picture and depths of one fill, wherever the split falls, for triangles
// wholly in view and for those clipped at its edges.
TEST_F(SurfacePass, HalvesFilledApartGiveTheWholeFill) {
    VertexNormals up(18, {Vec3{0, 0, 1}, Vec3{0, 0, 1}, Vec3{0, 0, 1}});
    setVertexNormals(state, up);
    for (const Vec3 eye : {Vec3{15, -40, 160}, Vec3{15, 5, 125}}) {  // whole, then cut by the view's edges
        camera.eye = eye;
        camera.BuildView(1.0, state.frame.viewWidth, state.frame.viewHeight);
        transformPoints(state, std::span<SurveyPoint>(site.points).first(16), camera.view);
        for (const SurfaceMode mode : {SurfaceMode::Flat, SurfaceMode::Smooth}) {
            clearSceneBuffers(state.frame);
            drawSurfaceLayer(state, surfaceOf(site), camera, mode, {}, false);
            const std::vector<std::uint8_t> wholePixels = state.frame.sceneBuffer;
            const std::vector<double> wholeDepths = state.frame.depthBuffer;
            ASSERT_GT(drawn(), 100);
            for (int split = 0; split <= state.frame.viewHeight; ++split) {
                clearSceneBuffers(state.frame);
                state.sceneCorners.corners.clear();
                drawSurfaceLayer(state, surfaceOf(site), camera, mode, {}, false, nullptr, {0, split, true});
                drawSurfaceLayer(state, surfaceOf(site), camera, mode, {}, false, nullptr,
                                 {split, std::numeric_limits<int>::max(), false});
                ASSERT_EQ(state.frame.sceneBuffer, wholePixels) << "split at row " << split;
                ASSERT_EQ(state.frame.depthBuffer, wholeDepths) << "split at row " << split;
                ASSERT_EQ(state.sceneCorners.corners.size(), 18u);
            }
        }
    }
}

}  // namespace
}  // namespace vellacor
