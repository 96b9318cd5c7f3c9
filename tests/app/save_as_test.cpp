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

TEST(SaveAs, TheRadioButtonChoosesTheWriterAndSuccessIsSaidOnce) {
    TempDir dir;
    SiteModel m;
    FakeUi ui;
    ASSERT_EQ(openDocument(m, ui, dir.write("a.txt", kSurvey)), OpenResult::Loaded);

    ui.savingAnswer = SavingDialog{ExportFormat::Dxf, true, false, false, false};
    ui.saveFileAnswers.push_back(dir.path("typed.xml"));
    saveAsCommand(m, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Saved File:\n\n" + dir.path("typed.xml")});
    EXPECT_EQ(testing::readFile(dir.path("typed.xml")).substr(0, 20), "  0\nSECTION\n  2\nHEAD");

    ui.messages.clear();
    ui.savingAnswer = SavingDialog{ExportFormat::LandXml, false, false, false, true};  // only Surface ticked
    ui.saveFileAnswers.push_back(dir.path("typed.dxf"));
    saveAsCommand(m, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Saved File:\n\n" + dir.path("typed.dxf")});
    const std::string xml = testing::readFile(dir.path("typed.dxf"));
    EXPECT_EQ(xml.substr(0, 21), "<?xml version=\"1.0\"?>");
    EXPECT_NE(xml.find("<Definition"), std::string::npos);
    EXPECT_EQ(xml.find("<Contours>"), std::string::npos);
    EXPECT_FALSE(ui.waitCursor);
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
