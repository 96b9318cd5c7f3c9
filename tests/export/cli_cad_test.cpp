#include <gtest/gtest.h>

#include "run_tool.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using namespace testing;

const std::string kCadCli = VELLACOR_CLI;

// A 3 x 3 grid of survey points, 10 apart.
std::string gridSurvey() {
    std::string text;
    for (int i = 0; i < 9; ++i)
        text += std::to_string(i + 1) + "," + std::to_string(5000 + 10 * (i / 3)) + "," + std::to_string(6000 + 10 * (i % 3)) +
                "," + std::to_string(100 + i) + ",G\n";
    return text;
}

TEST(CliCad, DxfDocumentsAndOverlays) {
    TempDir dir;
    const std::string site = dir.write("site.txt", gridSurvey());
    const std::string dxf = dir.path("site.dxf");
    ASSERT_EQ(runTool(kCadCli + " convert " + site + " --to " + dxf + " --points").exitCode, 0);

    // Our own drawing opens as a document with the same points.
    const ToolRun info = runTool(kCadCli + " info " + dxf);
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("format: DXF\npoints: 9\n"), std::string::npos) << info.output;

    // Line work through two points becomes a breakline; an overlay is counted in entries.
    const std::string lines = dir.write(
        "lines.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n6000\n20\n5000\n11\n6010\n21\n5010\n0\nPOINT\n10\n6000\n20\n5000\n"
                     "30\n100\n0\nENDSEC\n");
    const ToolRun overlay = runTool(kCadCli + " info " + site + " --overlay " + lines);
    ASSERT_EQ(overlay.exitCode, 0) << overlay.output;
    EXPECT_NE(overlay.output.find("\noverlay: 2\n"), std::string::npos) << overlay.output;
    const std::string dwf = dir.write("plan.dwf", "(DWF V00.30)L 0,0 10,10 R 5,5 3");
    EXPECT_NE(runTool(kCadCli + " info " + site + " --overlay " + dwf).output.find("\noverlay: 2\n"), std::string::npos);

    const ToolRun withLines = runTool(kCadCli + " info " + dxf + " --overlay " + lines);
    EXPECT_EQ(withLines.output.find("breaklines:"), std::string::npos);  // the overlay's lines are not breaklines

    const ToolRun picture = runTool(kCadCli + " render " + site + " --overlay " + lines + " --out " + dir.path("o.png"));
    EXPECT_EQ(picture.exitCode, 0) << picture.output;

    const ToolRun binary = runTool(kCadCli + " info " + dir.write("bin.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22)));
    EXPECT_EQ(binary.exitCode, 1);
    EXPECT_NE(binary.output.find("Not a valid DXF file, make sure to use ASCII option when saving it!"), std::string::npos);
}

TEST(CliCad, LinesOfADxfDocumentBecomeBreaklines) {
    TempDir dir;
    // Three points and a polyline through them.
    const std::string drawing = dir.write(
        "d.dxf", "0\nSECTION\n2\nENTITIES\n"
                 "0\nPOINT\n10\n0\n20\n0\n30\n5\n0\nPOINT\n10\n10\n20\n0\n30\n6\n0\nPOINT\n10\n5\n20\n9\n30\n7\n"
                 "0\nLWPOLYLINE\n90\n3\n10\n0\n20\n0\n10\n10\n20\n0\n10\n5\n20\n9\n0\nENDSEC\n");
    const ToolRun info = runTool(kCadCli + " info " + drawing);
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("points: 3\n"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("\nbreaklines: 2\n"), std::string::npos) << info.output;
}

}  // namespace
}  // namespace vellacor
