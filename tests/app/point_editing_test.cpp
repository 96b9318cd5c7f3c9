// Editing single points: the Edit Point dialog, wall points and breaklines
// picked with double-clicks, on a small grid drawn once from the load view.

#include "app/point_editing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>

#include "app/breaklines.h"
#include "app/document.h"
#include "app/navigation.h"
#include "app/pipeline.h"
#include "app/render_frame.h"
#include "app/site_edits.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "render/frame_buffer.h"
#include "render/frame_projection.h"
#include "support/fake_ui.h"
#include "support/grid_site_text.h"
#include "support/surface_edges.h"
#include "support/temp_files.h"
#include "surface/tin_geometry.h"

namespace vellacor {
namespace {

using testing::hasEdge;
using testing::surfaceGeometry;

struct PointEditing : ::testing::Test {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;

    void SetUp() override {
        const std::string text = testing::gridSiteText("TW 2.5");
        ASSERT_EQ(openDocument(model, ui, dir.write("site.txt", text)), OpenResult::Loaded);
        runPipelineToCompletion(model, ui);
        resizeFrameBuffer(model, 800, 600);
        createFrameBitmap(model.renderer.frame, model.renderer.palette[0]);
        draw();
    }
    void draw() {
        OverlayTextList text;
        model.renderer.redrawNeeded = true;
        renderFrame(model, false, text);
    }
    SurveyPoint& point(int i) { return model.document.points[static_cast<std::size_t>(i)]; }
    Pixel pixelOf(int i) {
        const ProjectedPoint q = project(model.renderer.frame, cameraSpaceOf(point(i), model.renderer.sceneView));
        return {static_cast<int>(q.x + 0.5), static_cast<int>(q.y + 0.5)};
    }
    bool inSurface(int p) const {
        const SiteDocument& d = model.document;
        for (int t = 0; t < d.triangleCount; ++t)
            for (int v : d.triangles[static_cast<std::size_t>(t)].vertex)
                if (v == p) return true;
        return false;
    }
};

TEST(WallChange, TheNumberAtTheEndOfTheDescription) {
    // "1.2.3": one decimal point at most.
    const std::pair<const char*, double> cases[] = {{"TW 2.5", 2.5}, {"TW-1.25 top", -1.25}, {"W+3", 3.0}, {"1.2.3", 2.3},
                                                    {"BW", 0.0},     {"wall -", 0.0},        {"", 0.0}};
    for (const auto& [description, change] : cases) EXPECT_DOUBLE_EQ(defaultWallChange(description), change) << description;
}

TEST_F(PointEditing, DoubleClicksMakeABreaklineThenAWallPointTowardsTheCursor) {
    const int s = 60, other = 62;
    doubleClick(model, ui, pixelOf(s), false);
    ASSERT_EQ(model.input.selectedPoint, s);
    doubleClick(model, ui, pixelOf(other), false);  // a second point: a breakline through 61
    EXPECT_EQ(model.input.selectedPoint, kNoSelection);
    EXPECT_TRUE(hasEdge(model.document, 60, 61) && hasEdge(model.document, 61, 62));
    runPipelineToCompletion(model, ui);
    draw();

    // Over the ground half-way to the point east of s: the wall point goes east.
    doubleClick(model, ui, pixelOf(s), false);
    const Pixel a = pixelOf(s), b = pixelOf(s + 1);
    const Pixel ground{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const int points = model.document.pointCount, triangles = model.document.triangleCount;
    const int number = model.document.nextPointNumber;
    ui.wallPointAnswer = 0.0;  // no change: nothing is added
    doubleClick(model, ui, ground, false);
    EXPECT_EQ(model.document.pointCount, points);
    ASSERT_EQ(ui.lastWallPointDefault, 2.5);
    ui.wallPointAnswer = -1.5;
    doubleClick(model, ui, ground, false);
    ASSERT_EQ(model.document.pointCount, points + 1);
    const SurveyPoint& wall = point(points);
    EXPECT_EQ(wall.number, number);
    EXPECT_EQ(model.document.nextPointNumber, number + 1);
    EXPECT_EQ(std::string(descriptionOf(wall)), "wallpt");
    EXPECT_NEAR(wall.easting - point(s).easting, 0.1, 0.01);
    EXPECT_NEAR(wall.northing - point(s).northing, 0.0, 0.01);
    EXPECT_DOUBLE_EQ(wall.elevation, point(s).elevation - 1.5);
    EXPECT_EQ(model.document.triangleCount, triangles + 2);  // its triangle split in three
    EXPECT_TRUE(hasEdge(model.document, s, points));
    EXPECT_EQ(model.input.selectedPoint, kNoSelection);
    runPipelineToCompletion(model, ui);
    EXPECT_TRUE(model.document.contourStage.done);
    EXPECT_TRUE(inSurface(points));
}

TEST_F(PointEditing, EditPointTakesBackElevationDescriptionAndUseOnly) {
    ui.editPointAnswer = EditPointDialog{};
    editSelectedPoint(model, ui);  // nothing selected
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "To Edit a Point: Double-click the point first to select it, then press E.");

    const int p = 60;
    const SurveyPoint before = point(p);
    model.input.selectedPoint = p;
    ui.editPointAnswer = EditPointDialog{999, 1.0, 2.0, 123.5, "moved", true};
    editSelectedPoint(model, ui);
    EXPECT_EQ(ui.lastEditPointShown.number, before.number);
    EXPECT_EQ(ui.lastEditPointShown.description, "TW 2.5");
    EXPECT_EQ(point(p).number, before.number);
    EXPECT_EQ(point(p).northing, before.northing);
    EXPECT_EQ(point(p).easting, before.easting);
    EXPECT_EQ(point(p).elevation, 123.5);
    EXPECT_EQ(std::string(descriptionOf(point(p))), "moved");
    // A height alone keeps the triangles, which slope up to it.
    EXPECT_TRUE(model.document.triangulateStage.done);
    for (int t = 0; t < model.document.triangleCount; ++t) {
        const TinTriangle& tri = model.document.triangles[static_cast<std::size_t>(t)];
        if (tri.vertex[0] == p || tri.vertex[1] == p || tri.vertex[2] == p) {
            EXPECT_GT(centroidOf(model.document.points, tri).z, 107.5);  // a third of the 20-odd rise at least
        }
    }

    // Out of the surface: its breaklines go and the surface is built without it.
    ASSERT_TRUE(addAndEnforceBreakline(model, p, 82));
    ASSERT_TRUE(addAndEnforceBreakline(model, 38, 40));
    model.input.selectedPoint = p;
    ui.editPointAnswer = EditPointDialog{0, 0, 0, 123.5, "moved", false};
    editSelectedPoint(model, ui);
    EXPECT_EQ(model.input.selectedPoint, kNoSelection);
    ASSERT_EQ(model.document.breaklines.count(), 1);
    EXPECT_EQ(model.document.breaklines.pairs[0].a, 38);
    EXPECT_FALSE(model.document.triangulateStage.done);
    runPipelineToCompletion(model, ui);
    EXPECT_FALSE(inSurface(p));
    EXPECT_TRUE(hasEdge(model.document, 38, 39) && hasEdge(model.document, 39, 40));
}

// Each kind of edit taken back leaves the surface it found, with the point
// numbers as they were, and brought again makes the same surface.
TEST_F(PointEditing, EachEditUndoesToTheSurfaceItFoundAndRedoes) {
    const SiteDocument& d = model.document;
    const auto undoneAndRedone = [&](const char* what, const std::function<void()>& edit) {
        const auto before = surfaceGeometry(d);
        const int points = d.pointCount, nextNumber = d.nextPointNumber;
        edit();
        runPipelineToCompletion(model, ui);
        const auto after = surfaceGeometry(d);
        ASSERT_NE(after, before) << what;
        ASSERT_TRUE(undoSiteEdit(model)) << what;
        runPipelineToCompletion(model, ui);
        EXPECT_EQ(surfaceGeometry(d), before) << what;
        EXPECT_EQ(d.pointCount, points) << what;
        EXPECT_EQ(d.nextPointNumber, nextNumber) << what;
        ASSERT_TRUE(redoSiteEdit(model)) << what;
        runPipelineToCompletion(model, ui);
        EXPECT_EQ(surfaceGeometry(d), after) << what;
        draw();
    };
    undoneAndRedone("breakline", [&] { breaklineBetween(model, ui, 12, 37); });  // across the grid
    undoneAndRedone("height", [&] {
        model.input.selectedPoint = 50;
        ui.editPointAnswer = EditPointDialog{0, 0, 0, 150.0, "TW 2.5", true};
        editSelectedPoint(model, ui);
    });
    undoneAndRedone("out of the surface, with its breakline", [&] {
        model.input.selectedPoint = 12;
        ui.editPointAnswer = EditPointDialog{0, 0, 0, point(12).elevation, "TW 2.5", false};
        editSelectedPoint(model, ui);
    });
    undoneAndRedone("wall point", [&] {
        const int s = 38;
        doubleClick(model, ui, pixelOf(s), false);
        const Pixel a = pixelOf(s), b = pixelOf(s + 1);
        ui.wallPointAnswer = 2.5;
        doubleClick(model, ui, {(a.x + b.x) / 2, (a.y + b.y) / 2}, false);
    });
}

// Contours are traced once and drawn again from the kept lines; a new
// height must be traced again, not drawn from the old lines.
TEST_F(PointEditing, KeptContoursDrawAsTracedOnesAndFollowAnEditedHeight) {
    model.display.showContours = true;
    draw();  // traced
    const std::vector<std::uint8_t> traced = model.renderer.frame.sceneBuffer;
    draw();  // from the kept lines
    EXPECT_EQ(model.renderer.frame.sceneBuffer, traced);

    model.input.selectedPoint = 60;
    ui.editPointAnswer = EditPointDialog{0, 0, 0, 123.5, "TW 2.5", true};
    editSelectedPoint(model, ui);
    draw();
    const std::vector<std::uint8_t> edited = model.renderer.frame.sceneBuffer;
    EXPECT_NE(edited, traced);
    forgetContourLines(model.renderer.contourLines);
    draw();
    EXPECT_EQ(model.renderer.frame.sceneBuffer, edited);
}

// What the site holds that is not saved, through undo and redo, and the
// question before the site goes.
struct SiteEditsState : ::testing::Test {
    testing::TempDir dir;
    testing::FakeUi ui;
    SiteModel model;

    static int at(int x, int y) { return y * 11 + x; }

    void SetUp() override {
        const std::string text = testing::gridSiteText("TOPO");
        ASSERT_EQ(openDocument(model, ui, dir.write("site.txt", text)), OpenResult::Loaded);
        runPipelineToCompletion(model, ui);
    }
    void addBreakline(int a, int b) { breaklineBetween(model, ui, a, b); }
};

TEST_F(SiteEditsState, UnsavedFollowsUndoRedoAndSave) {
    EXPECT_FALSE(hasUnsavedChanges(model));
    addBreakline(at(1, 1), at(4, 3));
    EXPECT_TRUE(hasUnsavedChanges(model));
    ASSERT_TRUE(undoSiteEdit(model));
    EXPECT_FALSE(hasUnsavedChanges(model));  // back where it was opened
    ASSERT_TRUE(redoSiteEdit(model));
    EXPECT_TRUE(hasUnsavedChanges(model));

    markSiteSaved(model);
    EXPECT_FALSE(hasUnsavedChanges(model));
    undoSiteEdit(model);
    EXPECT_TRUE(hasUnsavedChanges(model));
    redoSiteEdit(model);
    EXPECT_FALSE(hasUnsavedChanges(model));

    // Undone past the save and edited otherwise: no undo leads back to the saved site.
    undoSiteEdit(model);
    addBreakline(at(6, 6), at(8, 7));
    EXPECT_FALSE(canRedoSiteEdit(model));
    undoSiteEdit(model);
    EXPECT_TRUE(hasUnsavedChanges(model));

    clearSite(model);
    EXPECT_FALSE(hasUnsavedChanges(model));
    EXPECT_FALSE(canUndoSiteEdit(model));
    markSiteChanged(model);  // a change with no undo still wants saving
    EXPECT_TRUE(hasUnsavedChanges(model));
}

TEST_F(SiteEditsState, AskedOnlyWithChangesAndSaveMustWrite) {
    int asked = 0;
    const auto answer = [&asked](UnsavedChoice choice) {
        return [&asked, choice] {
            ++asked;
            return choice;
        };
    };
    EXPECT_TRUE(mayCloseSite(model, ui, answer(UnsavedChoice::Cancel)));
    EXPECT_EQ(asked, 0);

    addBreakline(at(1, 1), at(4, 3));
    EXPECT_FALSE(mayCloseSite(model, ui, answer(UnsavedChoice::Cancel)));
    EXPECT_FALSE(mayCloseSite(model, ui, answer(UnsavedChoice::Save)));  // Save As cancelled
    EXPECT_TRUE(hasUnsavedChanges(model));
    EXPECT_TRUE(mayCloseSite(model, ui, answer(UnsavedChoice::Discard)));

    ui.savingAnswer = SavingDialog{ExportFormat::Dxf, true, false, true, false};
    const std::string saved = dir.path("saved.dxf");
    ui.saveFileAnswers.push_back(saved);
    EXPECT_TRUE(mayCloseSite(model, ui, answer(UnsavedChoice::Save)));
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_FALSE(hasUnsavedChanges(model));
    EXPECT_EQ(asked, 4);
}

TEST_F(SiteEditsState, PointBackInTheSurfaceGetsItsBreaklinesAndKeepsLaterOnes) {
    SiteDocument& d = model.document;
    addBreakline(at(1, 1), at(4, 3));
    addBreakline(at(1, 1), at(0, 3));
    addBreakline(at(6, 6), at(8, 7));
    const std::vector<Breakline> before = d.breaklines.pairs;
    model.input.selectedPoint = at(1, 1);
    EditPointDialog off{};
    off.elevation = d.points[static_cast<std::size_t>(at(1, 1))].elevation;
    off.useInSurface = false;
    ui.editPointAnswer = off;
    editSelectedPoint(model, ui);
    ASSERT_EQ(d.breaklines.count(), 1);
    vellacor::addBreakline(model, at(2, 8), at(5, 9));  // as a drawing's lines come in: no undo of its own

    ASSERT_TRUE(undoSiteEdit(model));
    ASSERT_EQ(d.breaklines.count(), 4);
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(d.breaklines.pairs[i].a, before[i].a);
        EXPECT_EQ(d.breaklines.pairs[i].b, before[i].b);
    }
    EXPECT_EQ(d.breaklines.pairs[3].a, at(2, 8));
}

}  // namespace
}  // namespace vellacor
