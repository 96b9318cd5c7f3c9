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

TEST(CliSurfaceFiles, ADxfSavedWithItsSurfaceOpensWithIt) {
    // A 5 x 5 site, off the grid a little, with tied elevations.
    std::string points;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            points += std::to_string(r * 5 + c + 1) + "," + std::to_string(5000 + 10 * r + (c * 3 % 7) * 0.5) + "," +
                      std::to_string(6000 + 10 * c + (r * 5 % 7) * 0.25) + "," + std::to_string(100 + r * c % 4) +
                      ",S\n";
    TempDir dir;
    const std::string site = dir.write("site.txt", points);
    const ToolRun built = runTool(kCli + " info " + site + " --format PNEZD --surface");
    ASSERT_EQ(built.exitCode, 0) << built.output;
    const std::string triangles = lineOf(built.output, "triangles: ");
    ASSERT_FALSE(triangles.empty()) << built.output;

    // The surface alone: the same triangles come back, and saved again they are the same bytes.
    const std::string surface = dir.path("surface.dxf");
    ASSERT_EQ(runTool(kCli + " convert " + site + " --format PNEZD --surface --to " + surface).exitCode, 0);
    const ToolRun info = runTool(kCli + " info " + surface);
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("format: DXF\npoints: 25\n"), std::string::npos) << info.output;
    EXPECT_EQ(lineOf(info.output, "triangles: "), triangles) << info.output;
    EXPECT_EQ(info.output.find("breaklines"), std::string::npos) << info.output;
    const std::string again = dir.path("again.dxf");
    ASSERT_EQ(runTool(kCli + " convert " + surface + " --surface --to " + again).exitCode, 0);
    EXPECT_EQ(readFile(again), readFile(surface));

    // Points, contours and surface together: the survey points are the surface's points.
    const std::string all = dir.path("all.dxf");
    ASSERT_EQ(runTool(kCli + " convert " + site + " --format PNEZD --to " + all).exitCode, 0);
    const ToolRun allInfo = runTool(kCli + " info " + all);
    ASSERT_EQ(allInfo.exitCode, 0) << allInfo.output;
    EXPECT_EQ(lineOf(allInfo.output, "points: "), "points: 25") << allInfo.output;
    EXPECT_EQ(lineOf(allInfo.output, "nextPointNumber: "), lineOf(built.output, "nextPointNumber: "));
    EXPECT_EQ(lineOf(allInfo.output, "triangles: "), triangles) << allInfo.output;
    const std::string fromAll = dir.path("from-all.dxf");
    ASSERT_EQ(runTool(kCli + " convert " + all + " --surface --to " + fromAll).exitCode, 0);
    EXPECT_EQ(readFile(fromAll), readFile(surface));

    // With breaklines forced in: they come back as breaklines, and going into
    // the surface they were saved with they change none of its triangles.
    const std::string pairs = " --add-breaklines " + dir.write("pairs.txt", "1,7\n7,13\n13,19\n");
    const ToolRun forced = runTool(kCli + " info " + site + " --format PNEZD --surface" + pairs);
    ASSERT_EQ(lineOf(forced.output, "breaklines: "), "breaklines: 3 0") << forced.output;
    const std::string withBreaklines = dir.path("breaklines.dxf"), forcedSurface = dir.path("forced.dxf");
    // (Contours are left out: lines through points at their levels would be breaklines too.)
    ASSERT_EQ(runTool(kCli + " convert " + site + " --format PNEZD --points --breaklines --surface --to " +
                      withBreaklines + pairs)
                  .exitCode,
              0);
    ASSERT_EQ(runTool(kCli + " convert " + site + " --format PNEZD --surface --to " + forcedSurface + pairs).exitCode,
              0);
    const ToolRun back = runTool(kCli + " info " + withBreaklines + " --surface");
    EXPECT_EQ(lineOf(back.output, "triangles: "), lineOf(forced.output, "triangles: ")) << back.output;
    EXPECT_EQ(lineOf(back.output, "contours: "), lineOf(forced.output, "contours: ")) << back.output;
    EXPECT_TRUE(back.output.ends_with("\nbreaklines: 3\n")) << back.output;
    const std::string resaved = dir.path("resaved.dxf");
    ASSERT_EQ(runTool(kCli + " convert " + withBreaklines + " --surface --to " + resaved).exitCode, 0);
    EXPECT_EQ(readFile(resaved), readFile(forcedSurface));

    // A drawing without a surface prints what it always did: no triangles line.
    const std::string pointsOnly = dir.path("points.dxf");
    ASSERT_EQ(runTool(kCli + " convert " + site + " --format PNEZD --points --to " + pointsOnly).exitCode, 0);
    const ToolRun plain = runTool(kCli + " info " + pointsOnly);
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
    EXPECT_EQ(plain.output.find("triangles"), std::string::npos) << plain.output;
}

}  // namespace
}  // namespace vellacor
