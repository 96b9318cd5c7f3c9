#include <gtest/gtest.h>

#include "app/command_table.h"
#include "app/document.h"
#include "app/gis_save.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/site_save.h"
#include "export/export_site.h"
#include "export/run_tool.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// A site model with a scripted seam and a folder of its own.
struct SiteFixtureM : ::testing::Test {
    testing::TempDir dir;
    SiteModel m;
    testing::FakeUi ui;
};
using GisSaveSite = SiteFixtureM;
using SaveAsSite = SiteFixtureM;

using testing::FakeUi;
using testing::TempDir;

const char* kSurvey = "1,5000,6000,100,A\r\n2,5010,6000,101,B\r\n3,5000,6010,102,C\r\n";

// The format's button, not the name typed, chooses the writer.
TEST_F(SaveAsSite, TheRadioButtonChoosesTheWriterAndSuccessIsSaidOnce) {
    ASSERT_EQ(openDocument(m, ui, dir.write("a.txt", kSurvey)), OpenResult::Loaded);
    struct Case {
        SavingDialog answer;
        const char* name;
        const char* filter;
        std::string magic;
    };
    const Case cases[] = {
        {{ExportFormat::Dxf, true, false, false, false}, "typed.xml", "DXF (*.dxf)|*.dxf|All Files (*.*)|*.*||", "  0\nSECTION\n  2\nHEAD"},
        {{ExportFormat::LandXml, false, false, false, true}, "typed.dxf", "LandXML (*.xml)|*.xml|All Files (*.*)|*.*||", "<?xml version=\"1.0\"?>"},
        {{ExportFormat::GeoPackage, true, false, false, false}, "a.gpkg", "GeoPackage (*.gpkg)|*.gpkg|All Files (*.*)|*.*||", "SQLite format 3"},
        {{ExportFormat::GeoJson, true, false, false, false}, "a.geojson", "GeoJSON (*.geojson)|*.geojson|All Files (*.*)|*.*||", "{\n\"type\": \"FeatureCollection\""},
        {{ExportFormat::Shapefile, true, false, false, false}, "a.shp", "Shapefile (*.shp)|*.shp|All Files (*.*)|*.*||", std::string("\0\0\x27\x0a", 4)},
    };
    // GeoJSON is in longitudes and latitudes: not without the site's system.
    ui.savingAnswer = cases[3].answer;
    ui.saveFileAnswers.push_back(dir.path(cases[3].name));
    EXPECT_FALSE(saveAsCommand(m, ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{kGeoJsonNeedsCoordinateSystem});
    EXPECT_FALSE(std::filesystem::exists(dir.path(cases[3].name)));
    m.document.coordinateSystem = "EPSG:2193";
    for (const Case& c : cases) {
        ui.messages.clear();
        ui.savingAnswer = c.answer;
        ui.saveFileAnswers.push_back(dir.path(c.name));
        EXPECT_TRUE(saveAsCommand(m, ui)) << c.name;
        EXPECT_EQ(ui.saveFilters.back(), c.filter);
        EXPECT_EQ(ui.messages, std::vector<std::string>{"Saved File:\n\n" + dir.path(c.name)});
        EXPECT_EQ(testing::readFile(dir.path(c.name)).substr(0, c.magic.size()), c.magic) << c.name;
        EXPECT_FALSE(ui.waitCursor);
    }
    // Only Surface ticked: the LandXML holds the surface and no contours.
    const std::string xml = testing::readFile(dir.path("typed.dxf"));
    EXPECT_NE(xml.find("<Definition"), std::string::npos);
    EXPECT_EQ(xml.find("<Contours>"), std::string::npos);
}

TEST(SaveAs, AWriteErrorIsNeverReportedAsSuccess) {
    SiteModel small, large;
    testing::addPoint(small.document, 1, 0, 0, 1, "A");
    for (int i = 0; i < 4000; ++i) testing::addPoint(large.document, i, i, i, 10, "large enough to fill several pieces");
    small.document.coordinateSystem = large.document.coordinateSystem = "EPSG:2193";  // as GeoJSON needs
    for (const SiteModel* m : {&small, &large}) {
        for (ExportFormat format : {ExportFormat::Dxf, ExportFormat::LandXml, ExportFormat::GeoPackage, ExportFormat::GeoJson}) {
            FakeUi ui;
            EXPECT_FALSE(saveAsTo(*m, ui, "/dev/full", format, {.points = true, .surface = true}));
            EXPECT_EQ(ui.messages, std::vector<std::string>{"Unable to write file:\n\n/dev/full"});
        }
    }
}

TEST_F(SaveAsSite, RelativePathIsShownInFull) {
    testing::addPoint(m.document, 1, 0, 0, 1, "A");
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(dir.path(""));
    SaveRequest points;
    points.parts.points = true;
    const std::optional<std::string> saved = saveSite(m, ui, "rel.dxf", points);
    std::filesystem::current_path(here);
    EXPECT_EQ(saved, "Saved File:\n\n" + dir.path("rel.dxf"));
    EXPECT_TRUE(ui.messages.empty());  // each face tells it its own way
}

TEST_F(GisSaveSite, ADemAsksItsCellSizeBeforeTheFile) {
    ASSERT_EQ(openDocument(m, ui, dir.write("a.txt", std::string(kSurvey) + "4,5010,6010,103,D\r\n")),
              OpenResult::Loaded);
    // Before the background has built the surface the save says so and writes nothing.
    EXPECT_FALSE(saveAsTo(m, ui, dir.path("a.tif"), ExportFormat::GeoTiff, {.surface = true}));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"There is no surface to sample."});
    EXPECT_FALSE(std::filesystem::exists(dir.path("a.tif")));
    runPipelineToCompletion(m, ui);
    ASSERT_GT(m.document.triangleCount, 0);
    ui.messages.clear();
    ui.savingAnswer = SavingDialog{ExportFormat::GeoTiff, false, false, false, true};
    // Cancelled, nothing more is asked.
    EXPECT_FALSE(saveAsCommand(m, ui));
    EXPECT_TRUE(ui.saveFilters.empty());
    ui.demCellAnswers = {2.5};
    ui.saveFileAnswers.push_back(dir.path("a.tif"));
    EXPECT_TRUE(saveAsCommand(m, ui));
    EXPECT_EQ(ui.demCellsShown, (std::vector<double>{0.01, 0.01}));  // the 10 m site in 1000 cells
    EXPECT_EQ(ui.saveFilters.back(), "GeoTIFF DEM (*.tif)|*.tif|All Files (*.*)|*.*||");
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Saved File:\n\n" + dir.path("a.tif")});
    EXPECT_EQ(testing::readFile(dir.path("a.tif")).substr(0, 4), std::string("II*\0", 4));
}

TEST_F(GisSaveSite, TheCoordinateSystemIsAskedKeptAndCleared) {
    const std::string survey = dir.write("a.txt", kSurvey);
    ASSERT_EQ(openDocument(m, ui, survey), OpenResult::Loaded);
    EXPECT_TRUE(commandState(m, CommandId::CoordinateSystem).enabled);

    ui.coordinateSystemAnswers = {"EPSG:2193", "EPSG:1"};  // the second one the library does not know
    EXPECT_TRUE(runCommand(m, ui, CommandId::CoordinateSystem));
    runCommand(m, ui, CommandId::CoordinateSystem);
    EXPECT_EQ(m.document.coordinateSystem, "EPSG:2193");
    EXPECT_EQ(ui.coordinateSystemsShown, (std::vector<std::string>{"", "EPSG:2193"}));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Unknown coordinate system:\n\nEPSG:1"});

    // A .prj beside the points names the system; the next file without one has none.
    dir.write("b.prj", "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
                       "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]\r\n");
    ASSERT_EQ(openDocument(m, ui, dir.write("b.txt", kSurvey)), OpenResult::Loaded);
    EXPECT_EQ(m.document.coordinateSystem.rfind("GEOGCS[\"WGS 84\",", 0), 0u) << m.document.coordinateSystem;
    ASSERT_EQ(openDocument(m, ui, survey), OpenResult::Loaded);
    EXPECT_EQ(m.document.coordinateSystem, "");
}

using namespace testing;

// Files the program writes must open in readers written by others: ezdxf for
// DXF, libxml2 for LandXML (scripts/bootstrap.sh installs both).

// A 6 x 5 grid of points, 40 triangles, three breaklines and four contours
// (one of them closed), with descriptions that need care in both formats.
void makeGridSite(SiteModel& m, std::vector<ExportPolyline>& contours) {
    const char* descriptions[] = {"TOP & BOTTOM", "<EDGE>", "say \"hi\"", "\xB0 MARK", "CL"};
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 6; ++col)
            addPoint(m.document, 100 + row * 6 + col, 1000 + col * 10, 2000 + row * 10, 50 + col + 0.25 * row,
                     descriptions[(row + col) % 5]);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 5; ++col) {
            const int a = row * 6 + col;
            addTriangle(m.document, a, a + 1, a + 7);
            addTriangle(m.document, a, a + 7, a + 6);
        }
    m.document.breaklines.pairs = {{0, 1}, {1, 2}, {6, 13}};
    computeExtents(m.document);
    contours = {
        {52, false, {{1020, 2000, 52}, {1019, 2010, 52}, {1018, 2020, 52}}},
        {55, true, {{1050, 2000, 55}, {1049, 2020, 55}, {1047, 2040, 55}}},
        {55, true, {{1030, 2010, 55}, {1035, 2015, 55}, {1030, 2020, 55}, {1025, 2015, 55}, {1030, 2010, 55}}},
        {56, false, {{1055, 2000, 56}, {1056, 2040, 56}}},
    };
}

TEST(OtherReaders, EzdxfReadsAndAuditsOurDrawings) {
    ASSERT_TRUE(ezdxfAvailable()) << kPython << " cannot import ezdxf (Debian package python3-ezdxf)";
    TempDir dir;
    SiteModel m;
    std::vector<ExportPolyline> contours;
    makeGridSite(m, contours);

    const std::string all = dir.path("all.dxf");
    std::FILE* f = std::fopen(all.c_str(), "wb");
    ASSERT_TRUE(writeDxf(f, m.document, {true, true, true, true}, contours));
    std::fclose(f);
    // Two labels on the open major contour, one on the closed one.
    const ToolRun run = checkDxf(all, "INSERT=30 POLYLINE=4 LINE=3 3DFACE=40 TEXT=3");
    EXPECT_EQ(run.exitCode, 0) << run.output;

    FakeUi ui;  // the Save As path, each part alone
    const std::pair<ExportParts, const char*> alone[] = {
        {{.points = true}, "INSERT=30 3DFACE=0"},
        {{.breaklines = true}, "INSERT=0 LINE=3"},
        {{.surface = true}, "3DFACE=40 LINE=0"},
    };
    for (const auto& [parts, counts] : alone) {
        ASSERT_TRUE(saveAsTo(m, ui, dir.path("part.dxf"), ExportFormat::Dxf, parts));
        const ToolRun partRun = checkDxf(dir.path("part.dxf"), counts);
        EXPECT_EQ(partRun.exitCode, 0) << counts << "\n" << partRun.output;
    }
}

TEST(OtherReaders, XmllintReadsOurLandXml) {
    ASSERT_TRUE(xmllintAvailable()) << kXmllint << " is missing (Debian package libxml2-utils)";
    TempDir dir;
    SiteModel m;
    std::vector<ExportPolyline> contours;
    makeGridSite(m, contours);

    const std::string all = dir.path("all.xml");
    std::FILE* f = std::fopen(all.c_str(), "wb");
    ASSERT_TRUE(writeLandXml(f, m.document, {true, true, true, true}, contours));
    std::fclose(f);
    const ToolRun run = checkXml(all);
    EXPECT_EQ(run.exitCode, 0) << run.output;

    FakeUi ui;
    ASSERT_TRUE(saveAsTo(m, ui, dir.path("points.xml"), ExportFormat::LandXml, {.points = true}));
    EXPECT_EQ(checkXml(dir.path("points.xml")).exitCode, 0);
}

}  // namespace
}  // namespace vellacor
