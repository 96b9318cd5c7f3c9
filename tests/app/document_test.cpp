#include <gtest/gtest.h>

#include "app/document.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "render/palette.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::FakeUi;
using testing::TempDir;

const char* kSurvey = "1,5000,6000,100,A\r\n2,5010,6000,101,B\r\n3,5000,6010,102,C\r\n150,5010,6010,103,D\r\n";

struct OpenDocument : ::testing::Test {
    TempDir dir;
    SiteModel m;
    FakeUi ui;
};
using SavePoints = OpenDocument;
using SaveAsDialog = OpenDocument;

TEST_F(OpenDocument, ExtensionTableIgnoresCase) {
    EXPECT_EQ(formatForPath("/a/SITE.DXF"), PointFileFormat::Dxf);
    EXPECT_EQ(formatForPath("b.Dca"), PointFileFormat::PENZD);
    EXPECT_EQ(formatForPath("c.usgs_xyz"), PointFileFormat::UsgsDem);
    EXPECT_EQ(formatForPath("e.dwg"), PointFileFormat::Dwg);
    EXPECT_EQ(formatForPath("d.txt"), std::nullopt);
    EXPECT_EQ(formatForPath("noext"), std::nullopt);
}

TEST_F(OpenDocument, UnknownExtensionAsksEveryTimeAndLoads) {
    const std::string path = dir.write("site.txt", kSurvey);
    ASSERT_EQ(openDocument(m, ui, path), OpenResult::Loaded);
    EXPECT_EQ(ui.formatDialogsShown, 1);
    EXPECT_EQ(m.document.pointFileFormat, PointFileFormat::PNEZD);  // closed without OK keeps the default
    EXPECT_TRUE(m.document.documentLoaded);
    EXPECT_EQ(m.document.pointCount, 4);
    EXPECT_EQ(m.document.points[0].easting, 6000);
    EXPECT_EQ(m.document.nextPointNumber, 200);
    EXPECT_DOUBLE_EQ(m.camera.target.z, 103);
    EXPECT_EQ(m.document.points[3].displayMark, PointMark::Ordinary);

    ui.formatAnswers.push_back("PENZD");
    ASSERT_EQ(openDocument(m, ui, dir.write("site2.csv", kSurvey)), OpenResult::Loaded);
    EXPECT_EQ(ui.formatDialogsShown, 2);
    EXPECT_EQ(m.document.pointFileFormat, PointFileFormat::PENZD);
    EXPECT_EQ(m.document.points[0].easting, 5000);
}

TEST_F(OpenDocument, DwgIsRefusedWithoutTouchingTheSite) {
    ASSERT_EQ(openDocument(m, ui, dir.write("a.dca", kSurvey)), OpenResult::Loaded);
    ASSERT_EQ(m.document.pointFileFormat, PointFileFormat::PENZD);
    m.display.showContours = true;
    const std::vector<SurveyPoint> before = m.document.points;
    const int next = m.document.nextPointNumber;
    EXPECT_EQ(openDocument(m, ui, dir.write("plan.DWG", "AC1015")), OpenResult::Refused);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              "This program does not support the DWG format.\n\nTry opening a Survey Point or DXF file.\n\n(press H for "
              "more help)");
    // Save Points still writes the PENZD order the site was read in.
    EXPECT_EQ(m.document.pointFileFormat, PointFileFormat::PENZD);
    EXPECT_TRUE(m.document.documentLoaded);
    EXPECT_TRUE(m.display.showContours);
    EXPECT_EQ(m.document.pointCount, 4);
    EXPECT_EQ(m.document.nextPointNumber, next);
    ASSERT_EQ(m.document.points.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(m.document.points[i].number, before[i].number);
        EXPECT_EQ(m.document.points[i].easting, before[i].easting);
        EXPECT_EQ(m.document.points[i].northing, before[i].northing);
    }
}

TEST_F(OpenDocument, AnUnreadableLineIsSkippedAndReportedWithItsNumber) {
    std::string text;
    for (int i = 1; i <= 1000; ++i) text += i == 10 ? "10,N/A,6000,100,A\r\n" : std::to_string(i) + ",5000,6000,100,A\r\n";
    ASSERT_EQ(openDocument(m, ui, dir.write("site.txt", "Point,Northing,Easting,Elevation\r\n" + text)),
              OpenResult::Loaded);
    EXPECT_EQ(m.document.pointCount, 999);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Skipped 1 line that could not be read as a point.\n\nLine 11:\n10,N/A,6000,100,A");

    // The next open starts with no skipped lines.
    ASSERT_EQ(openDocument(m, ui, dir.write("clean.txt", kSurvey)), OpenResult::Loaded);
    EXPECT_EQ(m.document.skippedLines.count, 0);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(OpenDocument, HeaderOnlyFileFailsAndLeavesAnEmptySite) {
    ASSERT_EQ(openDocument(m, ui, dir.write("a.txt", kSurvey)), OpenResult::Loaded);
    EXPECT_EQ(openDocument(m, ui, dir.write("empty.txt", "Point,Northing,Easting,Elevation,Desc\r\n")),
              OpenResult::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Unable to find any points in:\n\nempty.txt");
    EXPECT_FALSE(m.document.documentLoaded);
    EXPECT_EQ(m.document.pointCount, 0);
}

TEST_F(SavePoints, WritesThePointsAndRefusesWithoutADocument) {
    // The refusal comes before the file chosen is touched.
    ui.saveFileAnswers.push_back(dir.write("none.txt", "a good file\n"));
    savePointsCommand(m, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "No points to save!");
    EXPECT_EQ(testing::readFile(dir.path("none.txt")), "a good file\n");

    ASSERT_EQ(openDocument(m, ui, dir.write("a.txt", kSurvey)), OpenResult::Loaded);
    ui.saveFileAnswers.push_back(dir.path("out.txt"));
    savePointsCommand(m, ui);
    EXPECT_EQ(testing::readFile(dir.path("out.txt")).substr(0, 39), "1,5000.000000,6000.000000,100.000,A\r\n2,");

    EXPECT_FALSE(savePointsTo(m, ui, dir.path("missing-folder/out.txt")));
    EXPECT_EQ(ui.messages.back(), "Unable to open file for writing!\n\n" + dir.path("missing-folder/out.txt"));
}

TEST_F(SaveAsDialog, DialogDefaultsNothingTickedAndFilters) {
    ASSERT_EQ(openDocument(m, ui, dir.write("a.txt", kSurvey)), OpenResult::Loaded);
    ui.savingAnswer = SavingDialog{};
    saveAsCommand(m, ui);
    EXPECT_TRUE(ui.lastSavingDefaults.points);
    EXPECT_FALSE(ui.lastSavingDefaults.contours);  // no triangles yet
    EXPECT_FALSE(ui.lastSavingDefaults.surface);
    EXPECT_EQ(ui.messages.back(), "Nothing was selected to be saved!");
    EXPECT_TRUE(ui.saveFilters.empty());

    ui.savingAnswer = SavingDialog{ExportFormat::LandXml, false, false, false, true};
    saveAsCommand(m, ui);  // cancelled chooser: nothing more happens
    ASSERT_EQ(ui.saveFilters.size(), 1u);
    EXPECT_EQ(ui.saveFilters[0], "LandXML (*.xml)|*.xml|All Files (*.*)|*.*||");

    ui.savingAnswer = SavingDialog{ExportFormat::Dxf, true, false, false, false};
    ui.saveFileAnswers.push_back(dir.path("no-folder/x.dxf"));
    saveAsCommand(m, ui);
    EXPECT_EQ(ui.saveFilters.back(), "DXF (*.dxf)|*.dxf|All Files (*.*)|*.*||");
    EXPECT_EQ(ui.messages.back(), "Unable to open file for writing!\n\n" + dir.path("no-folder/x.dxf"));
}

TEST_F(OpenDocument, TheFrameBitmapTakesTheFirstPaletteAgain) {
    resizeFrameBuffer(m, 64, 48);
    recreateFrameBitmap(m);
    ASSERT_EQ(openDocument(m, ui, dir.write("a.dca", kSurvey)), OpenResult::Loaded);
    cyclePalette(m);
    Palette first{}, second{};
    buildPalette(PaletteChoice::Grey, first);
    buildPalette(PaletteChoice::CoolGrey, second);
    ASSERT_NE(first, second);
    ASSERT_EQ(m.renderer.frame.bitmapPalette, second);
    ASSERT_EQ(openDocument(m, ui, dir.write("b.dca", kSurvey)), OpenResult::Loaded);
    EXPECT_EQ(m.renderer.palette[0], first);
    EXPECT_EQ(m.renderer.frame.bitmapPalette, first);
}

}  // namespace
}  // namespace vellacor
