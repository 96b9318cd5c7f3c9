#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "app/document.h"
#include "app/las_open.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "export/export_site.h"
#include "export/writers.h"
#include "import/point_file.h"
#include "render/palette.h"
#include "support/fake_ui.h"
#include "support/las_bytes.h"
#include "support/same_points.h"
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
    const std::pair<const char*, std::optional<PointFileFormat>> cases[] = {
        {"/a/SITE.DXF", PointFileFormat::Dxf}, {"b.Dca", PointFileFormat::PENZD}, {"c.usgs_xyz", PointFileFormat::UsgsDem},
        {"e.dwg", PointFileFormat::Dwg},       {"d.txt", std::nullopt},          {"noext", std::nullopt}};
    for (const auto& [path, format] : cases) EXPECT_EQ(formatForPath(path), format) << path;
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
    testing::expectSamePoints(m.document.points, before, before.size());
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

TEST_F(SaveAsDialog, DialogDefaultsNothingTickedAndAFolderThatIsNotThere) {
    ASSERT_EQ(openDocument(m, ui, dir.write("a.txt", kSurvey)), OpenResult::Loaded);
    ui.savingAnswer = SavingDialog{};
    saveAsCommand(m, ui);
    EXPECT_TRUE(ui.lastSavingDefaults.points);
    EXPECT_FALSE(ui.lastSavingDefaults.contours);  // no triangles yet
    EXPECT_FALSE(ui.lastSavingDefaults.surface);
    EXPECT_EQ(ui.messages.back(), "Nothing was selected to be saved!");
    EXPECT_TRUE(ui.saveFilters.empty());

    ui.savingAnswer = SavingDialog{ExportFormat::Dxf, true, false, false, false};
    ui.saveFileAnswers.push_back(dir.path("no-folder/x.dxf"));
    saveAsCommand(m, ui);
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

// Opening a LAS point cloud: the class question it asks and the site its answer makes.
using testing::lasBytes;
using testing::LasTestFile;

// A point cloud of the given points opened into a site.
struct LasOpen : ::testing::Test {
    TempDir dir;
    SiteModel model;
    FakeUi ui;
    std::string path;
    void write(const std::vector<testing::LasTestPoint>& points) {
        LasTestFile f;
        f.points = points;
        path = dir.write("site.las", lasBytes(f));
    }
};

TEST_F(LasOpen, AsksWhichOfTheFilesClassesBecomeTheSite) {
    write({{0, 0, 1000, 2}, {100, 0, 1000, 6}, {0, 100, 1000, 9}, {100, 100, 1000, 2}, {50, 50, 900, 6}});
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

    // Thinned to squares of 10 m: the lowest of the chosen points is the site.
    ui.classAnswers.push_back({2, 6});
    ui.thinAnswers.push_back(10.0);
    ASSERT_EQ(openDocument(model, ui, path), OpenResult::Loaded);
    ASSERT_EQ(model.document.pointCount, 1);
    EXPECT_EQ(model.document.points[0].number, 5);
    EXPECT_EQ(model.document.pointsBeforeThinning, 4);
    EXPECT_EQ(model.document.maxElevation, model.document.points[0].elevation);
}

TEST_F(LasOpen, CountsWithheldPointsApartAndKeepsThemWhenTheBoxIsTicked) {
    write({{0, 0, 1000, 2}, {100, 0, 1000, 2 | 0x80}, {0, 100, 1000, 6 | 0x80}, {100, 100, 1000, 9}});
    ASSERT_EQ(openDocument(model, ui, path), OpenResult::Loaded);
    ASSERT_EQ(ui.classDialogsShown.size(), 1u);
    const PointClassesDialog& asked = ui.classDialogsShown[0];
    ASSERT_EQ(asked.classes.size(), 3u);  // a class of withheld points only among them
    EXPECT_EQ(asked.classes[0].count, 1u);
    EXPECT_EQ(asked.classes[0].withheld, 1u);
    EXPECT_EQ(asked.classes[1].code, 6);
    EXPECT_EQ(asked.classes[1].count, 0u);
    EXPECT_EQ(asked.classes[1].withheld, 1u);
    EXPECT_EQ(asked.withheld, 2u);
    EXPECT_FALSE(asked.keepWithheld);
    EXPECT_EQ(asked.chosen, std::vector<int>{2});
    EXPECT_EQ(model.document.pointCount, 1);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Left out 1 point the file marks as withheld."});

    ui.messages.clear();
    ui.classAnswers.push_back({2, 6});
    ui.keepWithheldAnswers.push_back(true);
    ASSERT_EQ(openDocument(model, ui, path), OpenResult::Loaded);
    EXPECT_EQ(model.document.pointCount, 3);
    EXPECT_EQ(descriptionOf(model.document.points[2]), "Building");
    EXPECT_TRUE(ui.messages.empty());

    // Once withheld points are kept, the ground among them is the default.
    PointClassesDialog onlyWithheldGround;
    onlyWithheldGround.classes = {{1, "Unclassified", 5, 0}, {2, "Ground", 0, 4}};
    EXPECT_EQ(defaultClassesOf(onlyWithheldGround), (std::vector<int>{1, 2}));
    onlyWithheldGround.keepWithheld = true;
    EXPECT_EQ(defaultClassesOf(onlyWithheldGround), std::vector<int>{2});
}

TEST(LasSystem, TakesTheSystemTheFileNamesOrThePrjBesideIt) {
    TempDir dir;
    LasTestFile f;
    f.points = {{0, 0, 1000, 2}, {100, 0, 1000, 2}, {0, 100, 1000, 2}};
    const auto systemOf = [&](const std::vector<testing::LasTestVlr>& vlrs, const std::string& prj = {}) {
        f.vlrs = vlrs;
        const std::string path = dir.write("site.las", lasBytes(f));
        std::filesystem::remove(dir.path("site.prj"));
        if (!prj.empty()) dir.write("site.prj", prj);
        SiteModel model;
        FakeUi ui;
        EXPECT_EQ(openDocument(model, ui, path), OpenResult::Loaded);
        return std::make_pair(model.document.coordinateSystem, ui.messages);
    };
    using Messages = std::vector<std::string>;
    const std::string nztm = "PROJCS[\"NZGD2000 / New Zealand Transverse Mercator 2000\",AUTHORITY[\"EPSG\",\"2193\"]]";
    EXPECT_EQ(systemOf({testing::lasEpsgRecord(2193, false)}, nztm), std::make_pair(std::string("EPSG:2193"), Messages{}));
    EXPECT_EQ(systemOf({}, nztm + "\n"), std::make_pair(nztm, Messages{}));
    // UTM zone 10 north on NAD83, described key by key rather than named by code.
    const testing::LasTestVlr described = {"LASF_Projection", 34735,
                                           testing::lasGeoKeys({{1024, 0, 1, 1}, {2048, 0, 1, 4269}, {3072, 0, 1, 32767},
                                                                {3074, 0, 1, 16010}, {3076, 0, 1, 9001}})};
    EXPECT_EQ(systemOf({described}), std::make_pair(std::string("EPSG:26910"), Messages{}));
    const testing::LasTestVlr tooFew = {"LASF_Projection", 34735, testing::lasGeoKeys({{1024, 0, 1, 1}, {2048, 0, 1, 4269}})};
    EXPECT_EQ(systemOf({tooFew}, nztm), std::make_pair(nztm, Messages{}));
    EXPECT_EQ(systemOf({tooFew}),
              std::make_pair(std::string(), Messages{"The coordinate system the LAS file describes by GeoTIFF keys of its "
                                                     "own could not be read: the site has none."}));
}

TEST(ClearSite, EmptiesTheSiteAndKeepsAnEmptyBreaklineList) {
    SiteModel m;
    m.document.points.push_back(SurveyPoint{});
    m.document.pointCount = 1;
    m.document.breaklines.pairs.push_back({0, 1});
    m.document.breaklines.allInserted = false;
    m.display.showPoints = m.display.showContours = m.display.showRain = true;
    m.display.surfaceMode = SurfaceMode::Elevation;
    m.document.contours.contourInterval = 5;
    m.document.triangulateStage.done = true;
    m.overlays.dxfOverlay = std::make_unique<CadOverlay>();
    clearSite(m);
    EXPECT_EQ(m.document.pointCount, 0);
    EXPECT_TRUE(m.document.breaklines.empty());
    EXPECT_TRUE(m.document.breaklines.ready());
    EXPECT_FALSE(m.display.showPoints || m.display.showContours || m.display.showRain);
    EXPECT_EQ(m.display.surfaceMode, SurfaceMode::Flat);
    EXPECT_EQ(m.document.contours.contourInterval, 1.0);
    EXPECT_FALSE(m.document.triangulateStage.done);
    EXPECT_EQ(m.input.selectedPoint, kNoSelection);
    EXPECT_NE(m.overlays.dxfOverlay, nullptr);  // the open deletes it, not the clear
}

TEST(ClearSite, WaitsForARunningWorker) {
    SiteModel m;
    std::atomic<bool> stopped{false};
    m.document.triangulateStage.running = true;
    m.work.triangulation.start(m.document.progress, [&](TriangulationOutput&, const JobControl& control) {
        while (!control.cancelled()) std::this_thread::yield();
        stopped = true;
        return false;
    });
    clearSite(m);
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(m.work.triangulation.active());
}

// Point text as Save As writes it reads back as the same points.
TEST(PointWriter, RoundTripReadsBackTheSamePoints) {
    testing::TempDir dir;
    SiteDocument first, again;
    const std::string points = "5,1000.123456,2000.654321,99.125,CURB, with comma\n6,1001,2001,0,\n";
    ASSERT_TRUE(readPointFile(first, dir.write("a.txt", points), PointLayout::PNEZD).pointsRead);
    ASSERT_EQ(first.pointCount, 2);
    first.pointFileFormat = PointFileFormat::PNEZD;
    const std::string text = testing::written([&](std::FILE* f) { return writePointFile(f, first); });
    ASSERT_TRUE(readPointFile(again, dir.write("b.txt", text), PointLayout::PNEZD).pointsRead);
    ASSERT_EQ(again.pointCount, 2);
    testing::expectSamePoints(again.points, first.points, 2);
}

}  // namespace
}  // namespace vellacor
