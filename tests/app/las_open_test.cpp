// Opening a LAS point cloud in the window: the class question it asks and
// the site its answer makes.
#include <gtest/gtest.h>

#include "app/document.h"
#include "app/site_model.h"
#include "support/fake_ui.h"
#include "support/las_bytes.h"
#include "support/temp_files.h"

namespace vellacor::testing {
namespace {

TEST(LasOpen, AsksWhichOfTheFilesClassesBecomeTheSite) {
    TempDir dir;
    LasTestFile f;
    f.points = {{0, 0, 1000, 2}, {100, 0, 1000, 6}, {0, 100, 1000, 9}, {100, 100, 1000, 2}, {50, 50, 900, 6}};
    const std::string path = dir.write("site.las", lasBytes(f));
    SiteModel model;
    FakeUi ui;
    ASSERT_EQ(openDocument(model, ui, path), OpenResult::Loaded);
    EXPECT_EQ(ui.formatDialogsShown, 0);
    ASSERT_EQ(ui.classDialogsShown.size(), 1u);
    const PointClassesDialog& asked = ui.classDialogsShown[0];
    ASSERT_EQ(asked.classes.size(), 3u);
    EXPECT_EQ(asked.classes[1].code, 6);
    EXPECT_EQ(asked.classes[1].name, "Building");
    EXPECT_EQ(asked.classes[1].count, 2u);
    EXPECT_EQ(asked.chosen, std::vector<int>{2});
    EXPECT_EQ(model.document.pointCount, 2);
    EXPECT_EQ(model.document.pointFileFormat, PointFileFormat::Las);
    EXPECT_TRUE(model.document.pointsNeedTriangulation);
    EXPECT_TRUE(ui.messages.empty());

    ui.classAnswers.push_back({6, 9});
    ASSERT_EQ(openDocument(model, ui, path), OpenResult::Loaded);
    ASSERT_EQ(model.document.pointCount, 3);
    EXPECT_EQ(model.document.points[2].number, 5);
    EXPECT_EQ(descriptionOf(model.document.points[2]), "Building");
    EXPECT_EQ(descriptionOf(model.document.points[1]), "Water");
}

}  // namespace
}  // namespace vellacor::testing
