// What the site holds that is not saved, through undo and redo, and the
// question before the site goes.

#include "app/site_edits.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/breaklines.h"
#include "app/document.h"
#include "app/pipeline.h"
#include "app/point_editing.h"
#include "app/site_model.h"
#include "support/grid_site_text.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

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
