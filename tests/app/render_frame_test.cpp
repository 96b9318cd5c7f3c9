#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "app/document.h"
#include "app/frame_cycle.h"
#include "app/growing_draw_pacing.h"
#include "app/pipeline.h"
#include "app/point_editing.h"
#include "app/render_frame.h"
#include "app/scene_rebuild.h"
#include "app/site_model.h"
#include "app/status_display.h"
#include "app/view_settings.h"
#include "camera/picking.h"
#include "camera/vector_math.h"
#include "render/frame_buffer.h"
#include "render/frame_projection.h"
#include "render/palette.h"
#include "render/scene.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// Ten points on a gentle slope, nine of them coded TOPO.
struct SceneFixture : ::testing::Test {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;

    void SetUp() override {
        std::string text;
        for (int i = 0; i < 10; ++i)
            text += std::to_string(i + 1) + "," + std::to_string(5000 + (i % 4) * 10) + "," +
                    std::to_string(6000 + (i / 4) * 10) + "," + std::to_string(100 + i) + "," +
                    (i == 9 ? "MH" : "TOPO") + "\r\n";
        ASSERT_EQ(openDocument(model, ui, dir.write("site.txt", text)), OpenResult::Loaded);
        model.display.surfaceMode = SurfaceMode::Off;  // points only: no surface needed
        resizeFrameBuffer(model, 160, 120);
        createFrameBitmap(model.renderer.frame, model.renderer.palette[0]);
    }

    int countColour(const std::vector<std::uint8_t>& pixels, int colour) const {
        return static_cast<int>(std::count(pixels.begin(), pixels.end(), static_cast<std::uint8_t>(colour)));
    }
    Pixel pixelOf(int point) const {
        const ProjectedPoint q =
            project(model.renderer.frame, cameraSpaceOf(model.document.points[static_cast<std::size_t>(point)], model.renderer.sceneView));
        return {static_cast<int>(q.x), static_cast<int>(q.y)};
    }
    // The first of points 0..8 that a pick at its own pixel finds (9 when none).
    int pickablePoint() const {
        const ScreenDepth screen = screenDepthOf(model.renderer.frame);
        int p = 0;
        const Matrix& view = model.renderer.sceneView;
        const auto picks = [&](int i) {
            return pickNearestPoint(model.document.points, model.document.pointCount, view, screen, pixelOf(i)) == i;
        };
        while (p < 9 && !picks(p)) ++p;
        return p;
    }
};

TEST_F(SceneFixture, StaticSceneIsRebuiltOnlyWhenRedrawIsNeeded) {
    OverlayTextList text;
    model.display.showPoints = true;
    renderFrame(model, false, text);
    EXPECT_FALSE(model.renderer.redrawNeeded);
    EXPECT_GT(countColour(model.renderer.frame.displayBits, 1), 0);  // point marks in their display colour
    // No surface yet: the points are placed as they are drawn, nothing kept per point.
    EXPECT_EQ(model.renderer.scenePlacements.capacity(), 0u);

    // A stray pixel in the cached scene survives a frame without redraw...
    model.renderer.frame.sceneBuffer[5] = 99;
    renderFrame(model, false, text);
    EXPECT_EQ(model.renderer.frame.displayBits[5], 99);
    // ...and goes once the scene is rebuilt.
    model.renderer.redrawNeeded = true;
    renderFrame(model, false, text);
    EXPECT_EQ(model.renderer.frame.displayBits[5], kBackgroundColour);
}

// The view's copy of the growing mesh is let go once the worker has the
// whole mesh and makes the surface's records, the build's peak of memory;
// a mesh published before that is not taken any more either.
TEST_F(SceneFixture, TheGrowingMeshCopyGoesOnceTheMeshIsWhole) {
    OverlayTextList text;
    model.document.triangulateStage.running = true;
    MeshSnapshot& published = model.work.growingMesh;
    auto publish = [&](bool whole) {
        std::lock_guard<std::mutex> lock(published.mutex);
        published.growing.triangles = {{0, 1, 2}, {1, 2, 3}, {2, 3, 4}};
        ++published.growing.revision;
        published.taken = false;
        published.finished = whole;
    };
    publish(false);
    renderFrame(model, false, text);
    EXPECT_EQ(model.renderer.shownMesh.triangles.size(), 3u);
    publish(true);
    renderFrame(model, false, text);
    EXPECT_EQ(model.renderer.shownMesh.triangles.capacity(), 0u);
    GrowingMesh late;
    EXPECT_FALSE(takeGrowingMesh(published, late));
    EXPECT_TRUE(late.triangles.empty());
}

TEST_F(SceneFixture, SharedDescriptionsHighlightUnlessNearlyAllShareIt) {
    OverlayTextList text;
    model.input.selectedPoint = 0;  // TOPO: shared by 9 of 10 points, more than 80 %
    renderFrame(model, false, text);
    EXPECT_EQ(countColour(model.renderer.frame.sceneBuffer, 3), 0);
    setDescription(model.document.points[1], "XOPO");  // now 8 of 10: highlighted
    model.renderer.redrawNeeded = true;
    renderFrame(model, false, text);
    EXPECT_GT(countColour(model.renderer.frame.sceneBuffer, 3), 0);
    for (int i = 0; i < model.document.pointCount; ++i) EXPECT_EQ(model.document.points[static_cast<std::size_t>(i)].displayMark, PointMark::Ordinary);
}

TEST_F(SceneFixture, AnAddedPointKeepsItsMarkUntilASelectionIsDrawn) {
    OverlayTextList text;
    model.display.showPoints = true;
    model.document.points[9].displayMark = PointMark::Added;
    renderFrame(model, false, text);
    const Pixel p = pixelOf(9);  // placed by the frame
    auto markAt = [&] {
        return model.renderer.frame.sceneBuffer[static_cast<std::size_t>(p.y * model.renderer.frame.viewWidth + p.x)];
    };
    EXPECT_EQ(markAt(), markColour(PointMark::Added));
    model.input.selectedPoint = 0;  // TOPO: the added MH point is drawn again, on top, in its own mark
    model.renderer.redrawNeeded = true;
    renderFrame(model, false, text);
    EXPECT_EQ(markAt(), markColour(PointMark::Added));
    EXPECT_EQ(model.document.points[9].displayMark, PointMark::Ordinary);
    model.input.selectedPoint = kNoPoint;
    model.renderer.redrawNeeded = true;
    renderFrame(model, false, text);
    EXPECT_EQ(markAt(), markColour(PointMark::Ordinary));
}

TEST_F(SceneFixture, HoverLabelAfterHalfASecondOnTheSamePoint) {
    OverlayTextList text;
    renderFrame(model, false, text);
    const Pixel p = pixelOf(9);
    model.input.cursorInView = true;
    model.input.cursorX = p.x;
    model.input.cursorY = p.y;
    renderFrame(model, false, text);  // a new point under the cursor: the wait starts
    EXPECT_EQ(model.input.hoverPoint, 9);
    EXPECT_TRUE(text.empty());
    model.input.lastHoverTick -= std::chrono::milliseconds(300);
    renderFrame(model, false, text);
    EXPECT_TRUE(text.empty());  // 0.3 s is not enough
    model.input.lastHoverTick -= std::chrono::milliseconds(300);
    renderFrame(model, false, text);
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[0].text, "#10");
    EXPECT_EQ(text[1].text, "MH");
    EXPECT_EQ(text[2].text, "EL=109.00");

    // Another point restarts the wait.
    const int other = pickablePoint();
    ASSERT_LT(other, 9);
    const Pixel q = pixelOf(other);
    model.input.cursorX = q.x;
    model.input.cursorY = q.y;
    text.clear();
    model.input.lastHoverTick -= std::chrono::seconds(2);
    renderFrame(model, false, text);
    EXPECT_EQ(model.input.hoverPoint, other);
    EXPECT_TRUE(text.empty());
}

TEST_F(SceneFixture, SelectedPointShowsItsMarkAndTheBandToAnotherPoint) {
    model.display.surfaceMode = SurfaceMode::Flat;
    runPipelineToCompletion(model, ui);
    ASSERT_TRUE(model.document.contourStage.done);
    OverlayTextList text;
    model.input.selectedPoint = 9;
    renderFrame(model, true, text);
    EXPECT_GT(countColour(model.renderer.frame.displayBits, kBackgroundColour), 0);
    EXPECT_EQ(countColour(model.renderer.frame.displayBits, 5), countColour(model.renderer.frame.sceneBuffer, 5));  // no band yet
    const int other = pickablePoint();
    ASSERT_LT(other, 9);
    model.input.cursorInView = true;
    model.input.cursorX = pixelOf(other).x;
    model.input.cursorY = pixelOf(other).y;
    renderFrame(model, true, text);
    EXPECT_GT(countColour(model.renderer.frame.displayBits, 5), countColour(model.renderer.frame.sceneBuffer, 5));
}

TEST_F(SceneFixture, StatusOverlayLinesProgressAndLabels) {
    OverlayTextList text;
    renderFrame(model, false, text);
    model.document.triangulateStage.running = true;
    model.document.progress = 0.5;
    model.display.showPointNumbers = true;
    drawStatusOverlay(model, text);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text[0].text, "Building Surface");
    EXPECT_EQ(text[1].text, "(Esc to Cancel)");
    EXPECT_EQ(text[2].text[0], '#');
    EXPECT_EQ(text.back().text, "10 Points");
    EXPECT_EQ(text.back().y, 0);
    // The bar: its outline in colour 5 and the fill, half the width, in colour 4.
    const int bar = countColour(model.renderer.frame.displayBits, 4);
    EXPECT_GT(bar, 0);
    text.clear();
    model.document.progress = 1.0;
    drawStatusOverlay(model, text);
    EXPECT_GT(countColour(model.renderer.frame.displayBits, 4), bar);
    model.document.triangulateStage.running = false;
}

TEST_F(SceneFixture, FrameCycleShowsStartPictureWithoutADocumentAndTimesFrames) {
    SiteModel empty;
    empty.renderer.programFolder = VELLACOR_SAMPLES "/../resources";
    RgbImage picture;
    paintFrame(empty, ui, 200, 100, picture);
    ASSERT_EQ(picture.width, 200);
    ASSERT_EQ(picture.height, 100);
    EXPECT_TRUE(empty.renderer.logo.loaded());
    const auto distinct = std::set<std::uint32_t>(picture.pixels.begin(), picture.pixels.end()).size();
    EXPECT_GT(distinct, 10u);  // the logo, not a blank frame

    model.cycle.frameStamp -= std::chrono::milliseconds(50);
    paintFrame(model, ui, 200, 100, picture);
    EXPECT_GE(model.cycle.frameSeconds, 0.05);
}

// A surface of many triangles for the frame's pixels: the rebuild's two
// threads take half the triangles each, and the picture must be the one a
// single fill of every triangle in order makes, frame after frame as the
// share between them moves, and after heights are edited (the colours
// come from the new slopes, not from what earlier frames kept).
TEST(SceneRebuild, TrianglesSplitBetweenTheThreadsGiveTheSingleFill) {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;
    std::string text;
    for (int i = 0; i < 3600; ++i) {  // a grid with a ridge and flat runs, tied heights
        const int x = i % 60, y = i / 60;
        text += std::to_string(i + 1) + "," + std::to_string(y * 2) + "," + std::to_string(x * 2) + "," +
                std::to_string(100 + std::abs(x - 30) / 4 + (y % 7 == 0 ? 3 : 0)) + ",G\n";
    }
    ASSERT_EQ(openDocument(model, ui, dir.write("grid.txt", text)), OpenResult::Loaded);
    model.display.surfaceMode = SurfaceMode::Flat;
    model.display.showContours = false;
    model.display.showPoints = false;
    resizeFrameBuffer(model, 64, 48);
    createFrameBitmap(model.renderer.frame, model.renderer.palette[0]);
    runPipelineToCompletion(model, ui);
    ASSERT_GT(model.document.triangleCount, 2 * model.renderer.frame.pixelCount());

    RendererState& r = model.renderer;
    for (int frame = 0; frame < 6; ++frame) {
        if (frame == 3)
            for (int i = 30 * 60; i < 31 * 60; ++i) changePoint(model, i, 130.0 + i % 5, "G", true);
        // Every other view sees the whole site, well inside the frame.
        const double away = frame % 2 ? 2.2 : 1.0;
        model.camera.eye = {60.0 + away * 50 * std::cos(frame), 60.0 + away * 50 * std::sin(frame),
                            100.0 + away * (40.0 - 10 * frame)};
        model.camera.direction = normalise(Vec3{60, 60, 100} - model.camera.eye);
        model.camera.BuildView(1.0, r.frame.viewWidth, r.frame.viewHeight);
        drawSurfaceAndContours(model, false);
        const std::vector<std::uint8_t> split = r.frame.sceneBuffer;

        clearSceneBuffers(r.frame);
        transformPoints(r, validPoints(model.document), model.camera.view);
        drawSurfaceLayer(r, surfaceOf(model.document), model.camera, SurfaceMode::Flat, extentsOf(model.document),
                         false);
        ASSERT_EQ(split, r.frame.sceneBuffer) << "frame " << frame;

        // A site too big to keep every point's placement places them as the
        // triangles ask: the same picture, with nothing kept per point.
        r.mostPlacedPoints = 0;
        clearSceneBuffers(r.frame);
        drawSurfaceAndContours(model, false);
        ASSERT_EQ(split, r.frame.sceneBuffer) << "frame " << frame;
        ASSERT_EQ(r.scenePlacements.capacity(), 0u);
        r.mostPlacedPoints = kMostPlacedPoints;
        const auto background = std::count(split.begin(), split.end(), kBackgroundColour);
        ASSERT_GT(background, 0) << "frame " << frame;
        ASSERT_LT(background, static_cast<long>(split.size()) - 300) << "frame " << frame;
    }
}

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

// A build going at a tenth of the points a second, last drawn 2 s ago at 40 %.
TEST(GrowingDrawPacing, NoDrawingThatTheFinishedSurfaceWouldWaitFor) {
    const auto start = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    const auto at = [&](double s) { return start + std::chrono::duration_cast<Clock::duration>(
                                                       std::chrono::duration<double>(s)); };
    GrowingDrawRecord last{at(0), 0.4, 0.5};
    // At 60 %, 4 s left: a drawing of 0.75 s goes ahead.
    EXPECT_FALSE(growingDrawOutlastsBuild(last, 0.6, at(2)));
    // At 95 %, 0.5 s left: a drawing grown to 1.2 s would hold the surface up.
    EXPECT_TRUE(growingDrawOutlastsBuild(last, 0.95, at(5.5)));
    // A drawing of 3 s then would take 4.5 s now, with 4 s left.
    EXPECT_TRUE(growingDrawOutlastsBuild({at(0), 0.4, 3.0}, 0.6, at(2)));
    // The mesh is whole: the surface is a moment away.
    EXPECT_TRUE(growingDrawOutlastsBuild(last, 1.0, at(6)));
    // Nothing to go by: no drawing yet, the last before the build got going,
    // or no progress since it.
    EXPECT_FALSE(growingDrawOutlastsBuild({}, 0.99, at(6)));
    EXPECT_FALSE(growingDrawOutlastsBuild({at(0), 0.0, 0.5}, 0.99, at(6)));
    EXPECT_FALSE(growingDrawOutlastsBuild(last, 0.4, at(6)));
}

TEST(FrameSize, ResizingRemakesTheBitmapAndAsksForARedraw) {
    SiteModel m;
    createFrameBitmap(m.renderer.frame, m.renderer.palette[0]);
    m.renderer.redrawNeeded = false;
    resizeFrameBuffer(m, 101, 30);
    EXPECT_EQ(m.renderer.frame.displayBits.size(), 104u * 30);
    EXPECT_TRUE(m.renderer.redrawNeeded);
}

TEST(StatusDisplay, LinesFollowTheSiteAndTheSwitchesAndOneProgressMessageShows) {
    SiteModel m;
    m.document.pointCount = 12;
    m.document.triangleCount = 20;
    m.display.showBreaklines = true;
    m.document.breaklines.pairs = {{0, 1}, {1, 2}};
    EXPECT_EQ(statusLines(m), (std::vector<std::string>{"12 Points", "20 Triangles", "2 Breaklines"}));

    // One progress message, the first that applies.
    m.document.breaklines.pairs.clear();
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
