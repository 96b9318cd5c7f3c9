// Editing the contour limit polygon with the mouse on a drawn site.
#include "app/limit_polygon_edit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/document.h"
#include "app/navigation.h"
#include "app/pipeline.h"
#include "app/render_frame.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "app/site_edits.h"
#include "camera/limit_polygon_picking.h"
#include "render/frame_projection.h"
#include "support/fake_ui.h"
#include "support/grid_site_text.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// A rolling grid 1000 wide with contours limited to the polygon made once the
// surface was linked, drawn from the load view.
struct LimitPolygonFixture : ::testing::Test {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;

    void SetUp() override {
        ASSERT_EQ(openDocument(model, ui, dir.write("site.txt", testing::gridSiteText("TOPO"))), OpenResult::Loaded);
        model.display.showContours = true;
        model.document.contours.contourLimitMode = ContourLimitMode::InsidePolygon;
        runPipelineToCompletion(model, ui);
        ASSERT_EQ(polygon().vertexCount(), 6);
        resizeFrameBuffer(model, 240, 180);
        createFrameBitmap(model.renderer.frame, model.renderer.palette[0]);
        OverlayTextList labels;
        renderFrame(model, false, labels);
        for (grabbed = 0; grabbed < 6 && !hitVertex(polygon(), grabbed, model.camera.view, screenDepthOf(model.renderer.frame), pixelOf(grabbed));)
            ++grabbed;
        ASSERT_LT(grabbed, 6) << "no vertex in sight";
    }
    LimitPolygon& polygon() { return *model.document.contours.limitPolygon; }
    const Vec3& vertex(int i) { return polygon().vertices[static_cast<std::size_t>(i)]; }
    Pixel pixelOf(int i) {
        const ProjectedPoint p = project(model.renderer.frame, transformPoint(vertex(i), model.camera.view));
        return {static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y))};
    }
    void expectAtGround(const Vec3& v, Pixel at) {
        const Vec3 ground = groundAt(model, at).value();
        EXPECT_NEAR(std::hypot(v.x - ground.x, v.y - ground.y), 0.0, 1e-9);
        EXPECT_NEAR(v.z, ground.z, 1e-9);
    }
    int grabbed = 0;  // a vertex the frame shows
};

TEST_F(LimitPolygonFixture, DraggingAVertexMovesItOverTheGroundAndNotTheView) {
    const Pixel from = pixelOf(grabbed), to{from.x + 20, from.y + 8};
    const FrameBuffer& f = model.renderer.frame;
    EXPECT_EQ(f.displayBits[static_cast<std::size_t>(from.y * f.viewWidth + from.x)], 2);  // its mark
    const Vec3 eye = model.camera.eye;
    moveMouse(model, from);
    pressLeftButton(model);
    EXPECT_FALSE(hasUnsavedChanges(model));
    EXPECT_TRUE(moveMouse(model, to));
    expectAtGround(vertex(grabbed), to);
    EXPECT_TRUE(hasUnsavedChanges(model));  // the outline moved is the site's to save
    moveMouse(model, {to.x, 2});  // over the sky: the vertex stays and the view does not turn
    expectAtGround(vertex(grabbed), to);
    EXPECT_EQ(model.camera.eye.x, eye.x);
    releaseLeftButton(model, ui);
    EXPECT_EQ(polygon().selectedVertex, kNoVertex);
    EXPECT_EQ(polygon().vertexCount(), 6);

    model.document.contours.contourLimitMode = ContourLimitMode::Everywhere;  // hidden: the press is the view's
    moveMouse(model, pixelOf(grabbed));
    pressLeftButton(model);
    EXPECT_EQ(polygon().selectedVertex, kNoVertex);
}

TEST_F(LimitPolygonFixture, ControlDragPullsANewVertexOutAndAPlainControlClickLeavesNone) {
    const Pixel at = pixelOf(grabbed), to{at.x - 25, at.y + 10};
    const Vec3 old = vertex(grabbed);
    moveMouse(model, at);
    pressLeftButton(model, true);
    moveMouse(model, to);
    releaseLeftButton(model, ui);
    ASSERT_EQ(polygon().vertexCount(), 7);
    expectAtGround(vertex(grabbed), to);
    EXPECT_EQ(vertex(grabbed + 1).x, old.x);  // the original stays, next in order
    EXPECT_EQ(vertex(grabbed + 1).y, old.y);

    // A Ctrl-click that does not move: the copy is let go on its original and goes again.
    moveMouse(model, pixelOf(grabbed + 1));
    pressLeftButton(model, true);
    EXPECT_EQ(polygon().vertexCount(), 8);
    releaseLeftButton(model, ui);
    EXPECT_EQ(polygon().vertexCount(), 7);
}

}  // namespace
}  // namespace vellacor
