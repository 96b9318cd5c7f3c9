// Boundaries in the program's own pipeline: the surface the window shows is
// cut once it is built and its breaklines are in, and the limit polygon, edited
// with the mouse on a drawn site, can become a boundary.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "app/breaklines.h"
#include "app/cad_overlays.h"
#include "app/command_table.h"
#include "app/document.h"
#include "app/limit_polygon_edit.h"
#include "app/navigation.h"
#include "app/pipeline.h"
#include "app/render_frame.h"
#include "app/site_edits.h"
#include "app/site_model.h"
#include "app/surface_boundary_edit.h"
#include "app/surface_stages.h"
#include "app/view_settings.h"
#include "camera/limit_polygon_picking.h"
#include "render/frame_projection.h"
#include "support/fake_ui.h"
#include "support/grid_site_text.h"
#include "support/surface_edges.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// A 10 x 10 grid of unit cells, elevation rising with easting.
struct GridSite : ::testing::Test {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;

    void SetUp() override {
        std::string text;
        for (int y = 0, n = 1; y <= 10; ++y)
            for (int x = 0; x <= 10; ++x)
                text += std::to_string(n++) + "," + std::to_string(y) + "," + std::to_string(x) + "," +
                        std::to_string(100 + x) + ",G\n";
        ASSERT_EQ(openDocument(model, ui, dir.write("site.txt", text)), OpenResult::Loaded);
        model.display.showContours = true;
    }

    static SurfaceBoundary rectangle(BoundaryKind kind, double x0, double y0, double x1, double y1) {
        return {kind, {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}}};
    }

    // Open edges counted on the triangles' own links, and the hull list kept beside them.
    void expectHullEdgesOfTheTriangles() const {
        const SurfaceView s = linkedSurfaceOf(model);
        std::size_t open = 0;
        for (int t = 0; t < s.triangleCount; ++t)
            for (const int n : s.triangle(t).neighbour) open += n == kNoTriangle;
        EXPECT_EQ(s.hullEdges.size(), open);
        EXPECT_GT(open, 0u);
    }
};

TEST_F(GridSite, TheBuiltSurfaceIsCutAfterItsBreaklines) {
    // Nothing to cut before the surface is built.
    EXPECT_FALSE(addSurfaceBoundary(model, rectangle(BoundaryKind::Outer, 1, 1, 9, 9)));
    EXPECT_FALSE(commandState(model, CommandId::LimitPolygonBoundary).enabled);
    // A breakline across cells, then a hole that takes 3 x 2 cells: the
    // trimmed surface still holds the breakline as an edge.
    model.document.boundaries.polygons = {rectangle(BoundaryKind::Hide, 3, 3, 6, 5)};
    const int from = 1 * 11 + 1, to = 2 * 11 + 8;  // (1, 1) to (8, 2): through no other point
    model.document.breaklines.pairs = {{from, to}};
    model.document.breaklines.allInserted = false;
    runPipelineToCompletion(model, ui);
    ASSERT_TRUE(model.document.contourStage.done);
    EXPECT_EQ(model.document.triangleCount, 2 * (100 - 6));
    EXPECT_TRUE(testing::hasEdge(model.document, from, to));
    expectHullEdgesOfTheTriangles();
    EXPECT_EQ(model.document.pointCount, 121);
    EXPECT_FALSE(addSurfaceBoundary(model, {BoundaryKind::Outer, {{0, 0, 0}, {1, 1, 0}}}));  // not a polygon

    // The limit polygon (made round the surface) as a boundary: the menu item
    // cuts what lies outside a smaller polygon the user drew.
    ASSERT_TRUE(model.document.contours.limitPolygon.has_value());
    model.document.contours.limitPolygon->vertices = rectangle(BoundaryKind::Outer, 1, 1, 9, 8).corners;
    EXPECT_TRUE(commandState(model, CommandId::LimitPolygonBoundary).enabled);
    EXPECT_TRUE(runCommand(model, ui, CommandId::LimitPolygonBoundary));
    runPipelineToCompletion(model, ui);
    ASSERT_TRUE(model.document.contourStage.done);
    int cells = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) cells += x >= 1 && x < 9 && y >= 1 && y < 8 && !(x >= 3 && x < 6 && y >= 3 && y < 5);
    EXPECT_EQ(model.document.triangleCount, 2 * cells);
    EXPECT_EQ(model.document.boundaries.polygonCount(), 2);
    expectHullEdgesOfTheTriangles();
}

// A closed LWPOLYLINE through the plan corners given.
std::string closedPolyline(const std::vector<std::pair<int, int>>& corners, bool closed = true) {
    std::string text =
        "  0\nLWPOLYLINE\n 90\n" + std::to_string(corners.size()) + "\n 70\n" + (closed ? "1" : "0") + "\n";
    for (const auto& [x, y] : corners) text += " 10\n" + std::to_string(x) + "\n 20\n" + std::to_string(y) + "\n";
    return text;
}

TEST_F(GridSite, TheSmallestClosedCadPolylineRoundTheSelectedPointBecomesTheBoundary) {
    runPipelineToCompletion(model, ui);
    // Round the whole site, round cells 1..9 x 1..8, and an open line closer in.
    const std::string dxf = dir.write(
        "lines.dxf", "  0\nSECTION\n  2\nENTITIES\n" + closedPolyline({{-1, -1}, {11, -1}, {11, 11}, {-1, 11}}) +
                         closedPolyline({{1, 1}, {9, 1}, {9, 8}, {1, 8}}) +
                         closedPolyline({{4, 3}, {6, 3}, {6, 5}, {4, 5}}, false) + "  0\nENDSEC\n  0\nEOF\n");
    ASSERT_GT(importCadOverlay(model, ui, dxf), 0u);
    runPipelineToCompletion(model, ui);
    EXPECT_TRUE(commandState(model, CommandId::CadPolylineBoundary).enabled);

    // No point selected: the user is told, nothing changes.
    EXPECT_TRUE(runCommand(model, ui, CommandId::CadPolylineBoundary));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], kNoPolylineAroundSelection);
    EXPECT_EQ(model.document.boundaries.polygonCount(), 0);

    model.input.selectedPoint = 4 * 11 + 5;  // (5, 4)
    EXPECT_TRUE(runCommand(model, ui, CommandId::CadPolylineBoundary));
    runPipelineToCompletion(model, ui);
    ASSERT_EQ(model.document.boundaries.polygonCount(), 1);
    EXPECT_EQ(model.document.triangleCount, 2 * 8 * 7);
    expectHullEdgesOfTheTriangles();
}

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
