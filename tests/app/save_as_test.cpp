#include <gtest/gtest.h>

#include "app/document.h"
#include "app/site_model.h"
#include "export/export_site.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::FakeUi;
using testing::TempDir;

const char* kSurvey = "1,5000,6000,100,A\r\n2,5010,6000,101,B\r\n3,5000,6010,102,C\r\n";

// The format's button, not the name typed, chooses the writer.
TEST(SaveAs, TheRadioButtonChoosesTheWriterAndSuccessIsSaidOnce) {
    TempDir dir;
    SiteModel m;
    FakeUi ui;
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
    for (const SiteModel* m : {&small, &large}) {
        for (ExportFormat format : {ExportFormat::Dxf, ExportFormat::LandXml, ExportFormat::GeoPackage, ExportFormat::GeoJson}) {
            FakeUi ui;
            EXPECT_FALSE(saveAsTo(*m, ui, "/dev/full", format, {.points = true, .surface = true}));
            EXPECT_EQ(ui.messages, std::vector<std::string>{"Unable to write file:\n\n/dev/full"});
        }
    }
}

TEST(SaveAs, RelativePathIsShownInFull) {
    TempDir dir;
    SiteModel m;
    FakeUi ui;
    testing::addPoint(m.document, 1, 0, 0, 1, "A");
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(dir.path(""));
    const bool ok = saveAsTo(m, ui, "rel.dxf", ExportFormat::Dxf, {.points = true});
    std::filesystem::current_path(here);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Saved File:\n\n" + dir.path("rel.dxf")});
}

}  // namespace
}  // namespace vellacor
