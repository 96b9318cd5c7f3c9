#include <gtest/gtest.h>

#include "app/command_table.h"
#include "app/document.h"
#include "app/gis_save.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "export/export_site.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::FakeUi;
using testing::TempDir;

const char* kSurvey = "1,5000,6000,100,A\r\n2,5010,6000,101,B\r\n3,5000,6010,102,C\r\n";

TEST(GisSave, ADemAsksItsCellSizeBeforeTheFile) {
    TempDir dir;
    SiteModel m;
    FakeUi ui;
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

TEST(GisSave, TheCoordinateSystemIsAskedKeptAndCleared) {
    TempDir dir;
    SiteModel m;
    FakeUi ui;
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

}  // namespace
}  // namespace vellacor
