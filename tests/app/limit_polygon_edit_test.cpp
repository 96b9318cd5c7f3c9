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
#include "camera/limit_polygon_picking.h"
#include "render/frame_buffer.h"
#include "render/projection.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// A rolling 11 x 11 grid 100 apart, contours on and limited to the polygon
// made once the surface was linked, drawn from the load view.
struct LimitPolygonFixture : ::testing::Test {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;

    void SetUp() override {
        std::string text;
        int number = 1;
        for (int y = 0; y <= 10; ++y)
            for (int x = 0; x <= 10; ++x)
                text += std::to_string(number++) + "," + std::to_string(5000 + y * 100) + "," +
                        std::to_string(6000 + x * 100) + "," + std::to_string(100 + (x * y) % 7) + ",TOPO\r\n";
        ASSERT_EQ(openDocument(model, ui, dir.write("site.txt", text)), OpenResult::Loaded);
        model.display.showContours = true;
        model.document.contours.contourLimitMode = ContourLimitMode::InsidePolygon;
        runPipelineToCompletion(model, ui);
        ASSERT_TRUE(model.document.contours.limitPolygon);
        ASSERT_EQ(polygon().vertexCount(), 6);
        resizeFrameBuffer(model, 240, 180);
        createFrameBitmap(model.renderer.frame, model.renderer.palette[0]);
        draw();
    }
    void draw() {
        OverlayTextList text;
        model.renderer.redrawNeeded = true;
        renderFrame(model, false, text);
    }
    LimitPolygon& polygon() { return *model.document.contours.limitPolygon; }
    Pixel pixelOf(int vertex) {
        const Vec3 c = transformPoint(polygon().vertices[static_cast<std::size_t>(vertex)], model.camera.view);
        const ProjectedPoint p = project(model.renderer.frame, c);
        return {static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y))};
    }
    // A vertex the frame shows, to grab.
    int visibleVertex() {
        for (int i = 0; i < polygon().vertexCount(); ++i)
            if (hitVertex(polygon(), i, model.camera.view, screenDepthOf(model.renderer.frame), pixelOf(i))) return i;
        return kNoVertex;
    }
    void expectAtGround(const Vec3& v, Pixel at) {
        const std::optional<Vec3> ground = groundAt(model, at);
        ASSERT_TRUE(ground);
        EXPECT_NEAR(v.x, ground->x, 1e-9);
        EXPECT_NEAR(v.y, ground->y, 1e-9);
        EXPECT_NEAR(v.z, ground->z, 1e-9);
    }
};

TEST_F(LimitPolygonFixture, DraggingAVertexMovesItOverTheGroundAndNotTheView) {
    const int v = visibleVertex();
    ASSERT_NE(v, kNoVertex);
    const Pixel from = pixelOf(v);
    EXPECT_EQ(model.renderer.frame.displayBits[static_cast<std::size_t>(from.y * model.renderer.frame.viewWidth + from.x)], 2);
    const Vec3 eye = model.camera.eye, target = model.camera.target;
    moveMouse(model, from);
    pressLeftButton(model);
    EXPECT_EQ(polygon().selectedVertex, v);
    const Pixel to{from.x + 20, from.y + 8};
    EXPECT_TRUE(moveMouse(model, to));
    expectAtGround(polygon().vertices[static_cast<std::size_t>(v)], to);
    moveMouse(model, {to.x, 2});  // over the sky: the vertex stays, the view does not turn
    expectAtGround(polygon().vertices[static_cast<std::size_t>(v)], to);
    EXPECT_EQ(model.camera.eye.x, eye.x);
    EXPECT_EQ(model.camera.target.y, target.y);
    releaseLeftButton(model, ui);
    EXPECT_EQ(polygon().selectedVertex, kNoVertex);
    EXPECT_EQ(polygon().vertexCount(), 6);

    // With contours everywhere the polygon is not shown and a press there is the view's.
    model.document.contours.contourLimitMode = ContourLimitMode::Everywhere;
    draw();
    moveMouse(model, pixelOf(v));
    pressLeftButton(model);
    EXPECT_EQ(polygon().selectedVertex, kNoVertex);
    releaseLeftButton(model, ui);
}

TEST_F(LimitPolygonFixture, ControlDragPullsANewVertexOutAndAPlainControlClickLeavesNone) {
    const int v = visibleVertex();
    ASSERT_NE(v, kNoVertex);
    const Pixel at = pixelOf(v);
    const Vec3 old = polygon().vertices[static_cast<std::size_t>(v)];
    moveMouse(model, at);
    pressLeftButton(model, true);
    EXPECT_EQ(polygon().vertexCount(), 7);
    const Pixel to{at.x - 25, at.y + 10};
    moveMouse(model, to);
    releaseLeftButton(model, ui);
    ASSERT_EQ(polygon().vertexCount(), 7);
    expectAtGround(polygon().vertices[static_cast<std::size_t>(v)], to);
    EXPECT_EQ(polygon().vertices[static_cast<std::size_t>(v) + 1].x, old.x);  // the original stays
    EXPECT_EQ(polygon().vertices[static_cast<std::size_t>(v) + 1].y, old.y);

    // A Ctrl-click that does not move: the copy is let go on its original and goes again.
    draw();
    const int w = visibleVertex();
    ASSERT_NE(w, kNoVertex);
    moveMouse(model, pixelOf(w));
    pressLeftButton(model, true);
    EXPECT_EQ(polygon().vertexCount(), 8);
    releaseLeftButton(model, ui);
    EXPECT_EQ(polygon().vertexCount(), 7);
}

TEST_F(LimitPolygonFixture, ClearingTheSiteDropsThePolygon) {
    clearSite(model);
    EXPECT_FALSE(model.document.contours.limitPolygon);
}

}  // namespace
}  // namespace vellacor
