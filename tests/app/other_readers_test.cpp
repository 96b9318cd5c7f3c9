// Files the program writes must open in readers written by others: ezdxf for
// DXF, libxml2 for LandXML (scripts/bootstrap.sh installs both).
#include <gtest/gtest.h>

#include "app/document.h"
#include "app/site_model.h"
#include "export/export_site.h"
#include "export/run_tool.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using namespace testing;

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
