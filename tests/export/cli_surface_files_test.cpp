#include <gtest/gtest.h>

#include "run_tool.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using namespace testing;

const std::string kCli = VELLACOR_CLI;

TEST(CliSurfaceFiles, InfoEndsWithTheBreaklinesTheFileBrought) {
    TempDir dir;
    const std::string xml = dir.write("site.dat", R"(<LandXML><Surfaces><Surface>
<SourceData><Breaklines><Breakline><PntList2D>0 0 10 10</PntList2D></Breakline></Breaklines></SourceData>
<Definition surfType="TIN"><Pnts><P id="1">0 0 5</P><P id="2">0 10 6</P><P id="3">10 10 7</P><P id="4">10 0 8</P></Pnts>
<Faces><F>1 2 3</F><F>1 3 4</F></Faces></Definition></Surface></Surfaces></LandXML>)");
    const ToolRun info = runTool(kCli + " info " + xml + " --format XML --surface");
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("format: XML\npoints: 4\n"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("triangles: 2\n"), std::string::npos) << info.output;
    EXPECT_TRUE(info.output.ends_with("\nbreaklines: 1\n")) << info.output;

    // A file without breaklines has no such line; an .exe is the demonstration.
    const ToolRun demo = runTool(kCli + " info " + dir.write("x.exe", "") + " --surface");
    ASSERT_EQ(demo.exitCode, 0) << demo.output;
    EXPECT_NE(demo.output.find("points: 2500\n"), std::string::npos);
    EXPECT_NE(demo.output.find("triangles: 4802\n"), std::string::npos);
    EXPECT_EQ(demo.output.find("breaklines"), std::string::npos);
}

TEST(CliSurfaceFiles, ConvertAndRenderReadTheGrids) {
    TempDir dir;
    const std::string raw = dir.write("tin.bin", "0 0 1\n10 0 2\n0 10 3\n10 0 2\n10 10 4\n0 10 3\n");
    const ToolRun convert =
        runTool(kCli + " convert " + raw + " --format RAW --to " + dir.path("out.xml") + " --surface");
    ASSERT_EQ(convert.exitCode, 0) << convert.output;
    EXPECT_NE(readFile(dir.path("out.xml")).find("<F>2 4 3</F>"), std::string::npos);
    const ToolRun render = runTool(kCli + " render " +
                                   dir.write("g.asc",
                                             "ncols 3\nnrows 3\nxllcorner 0\nyllcorner 0\n"
                                             "cellsize 5\n1 2 3\n2 3 4\n3 4 5\n") +
                                   " --out " + dir.path("g.png") + " --size 64x48");
    ASSERT_EQ(render.exitCode, 0) << render.output;
    EXPECT_GT(readFile(dir.path("g.png")).size(), 100u);
}

}  // namespace
}  // namespace vellacor
