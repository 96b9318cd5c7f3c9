// Boundaries through the command-line tool: from a LandXML file and from the
// options, counted against the grid they cut, and kept by a LandXML save.
#include <gtest/gtest.h>

#include <string>

#include "run_tool.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using namespace testing;

const std::string kCli = VELLACOR_CLI;

// A 10 x 10 grid of unit cells as LandXML CgPoints (northing easting
// elevation) and a surface with only the <SourceData> given.
std::string gridLandXml(const std::string& sourceData) {
    std::string xml = "<?xml version=\"1.0\"?>\n<LandXML><CgPoints>\n";
    int id = 1;
    for (int y = 0; y <= 10; ++y)
        for (int x = 0; x <= 10; ++x)
            xml += "<CgPoint name=\"" + std::to_string(id++) + "\">" + std::to_string(y) + " " + std::to_string(x) +
                   " " + std::to_string(100 + x) + "</CgPoint>\n";
    return xml + "</CgPoints><Surfaces><Surface name=\"g\">\n" + sourceData + "</Surface></Surfaces></LandXML>\n";
}

// The cells of the 10 x 10 grid inside [x0, x1) x [y0, y1) and outside the hole.
int cellsKept(int x0, int y0, int x1, int y1, int hx0, int hy0, int hx1, int hy1) {
    int cells = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            cells += x >= x0 && x < x1 && y >= y0 && y < y1 && !(x >= hx0 && x < hx1 && y >= hy0 && y < hy1);
    return cells;
}

std::string lineOf(const std::string& output, const std::string& key) {
    const std::size_t at = output.find("\n" + key);
    if (at == std::string::npos) return {};
    return output.substr(at + 1, output.find('\n', at + 1) - at - 1);
}

TEST(CliBoundaries, LandXmlOuterAndHideBoundariesCutTheSurfaceAndASaveKeepsThem) {
    TempDir dir;
    // The outer ring closed by its first corner again; a void and a hide
    // (the same as a void), 2D and 3D; an island and a line are not applied.
    const std::string xml = dir.write(
        "site.xml",
        gridLandXml(
            "<SourceData><Boundaries>\n"
            "<Boundary name=\"o\" bndType=\"outer\" edgeTrim=\"true\"><PntList2D>1 1 1 9 8 9 8 1 1 "
            "1</PntList2D></Boundary>\n"
            "<Boundary name=\"v\" bndType=\"void\" edgeTrim=\"true\"><PntList3D>3 3 0 3 6 0 5 6 0 5 3 "
            "0</PntList3D></Boundary>\n"
            "<Boundary name=\"h\" bndType=\"hide\" edgeTrim=\"true\"><PntList2D>6 7 6 8 7 8 7 "
            "7</PntList2D></Boundary>\n"
            "<Boundary name=\"i\" bndType=\"island\" edgeTrim=\"true\"><PntList2D>4 4 4 5 5 5</PntList2D></Boundary>\n"
            "<Boundary name=\"l\" bndType=\"outer\" edgeTrim=\"true\"><PntList2D>0 0 10 10</PntList2D></Boundary>\n"
            "</Boundaries></SourceData>\n"));
    const int expected = 2 * (cellsKept(1, 1, 9, 8, 3, 3, 6, 5) - 1);  // the hide is one cell, (7, 6)
    const ToolRun info = runTool(kCli + " info " + xml + " --surface");
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_EQ(lineOf(info.output, "points:"), "points: 121");  // the points outside stay
    EXPECT_EQ(lineOf(info.output, "boundaries:"), "boundaries: 3");
    EXPECT_EQ(lineOf(info.output, "triangles:"), "triangles: " + std::to_string(expected));

    // Saved with its surface, the boundaries go with it and cut it again the same.
    const std::string saved = dir.path("saved.xml");
    const ToolRun convert = runTool(kCli + " convert " + xml + " --to " + saved + " --surface");
    ASSERT_EQ(convert.exitCode, 0) << convert.output;
    const std::string text = readFile(saved);
    EXPECT_NE(
        text.find(
            "<Boundary name=\"1\" bndType=\"outer\" edgeTrim=\"false\">\n\t\t\t\t\t\t<PntList2D>1 1 1 9 8 9 8 1 1 1"
            "</PntList2D>"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("bndType=\"void\""), std::string::npos);
    if (xmllintAvailable()) {
        EXPECT_EQ(checkXml(saved).exitCode, 0) << checkXml(saved).output;
    }
    const ToolRun again = runTool(kCli + " info " + saved + " --surface");
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(lineOf(again.output, "boundaries:"), "boundaries: 3");
    EXPECT_EQ(lineOf(again.output, "triangles:"), "triangles: " + std::to_string(expected));
}

TEST(CliBoundaries, OptionsCutTheSurfaceInEveryCommand) {
    TempDir dir;
    std::string points;
    int number = 1;
    for (int y = 0; y <= 10; ++y)
        for (int x = 0; x <= 10; ++x)
            points += std::to_string(number++) + "," + std::to_string(y) + "," + std::to_string(x) + "," +
                      std::to_string(100 + x) + ",G\n";
    const std::string site = dir.write("site.txt", points);
    const std::string cut = " --boundary '1,1;9,1;9,8;1,8' --hide '3,3;6,3;6,5;3,5'";
    const ToolRun info = runTool(kCli + " info " + site + " --surface" + cut);
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_EQ(lineOf(info.output, "boundaries:"), "boundaries: 2");
    EXPECT_EQ(lineOf(info.output, "triangles:"), "triangles: " + std::to_string(2 * cellsKept(1, 1, 9, 8, 3, 3, 6, 5)));
    // Without boundaries the lines are as before: no boundaries line.
    const ToolRun plain = runTool(kCli + " info " + site + " --surface");
    EXPECT_EQ(plain.output.find("boundaries"), std::string::npos);
    EXPECT_EQ(lineOf(plain.output, "triangles:"), "triangles: 200");

    // A section along a row through the hole has an empty row where it is off the surface.
    const ToolRun section =
        runTool(kCli + " section " + site + cut + " --from 2,4 --to 8,4 --csv " + dir.path("s.csv"));
    ASSERT_EQ(section.exitCode, 0) << section.output;
    const std::string csv = readFile(dir.path("s.csv"));
    EXPECT_NE(csv.find("\n\n"), std::string::npos) << csv;

    // The volume to a datum covers only the kept plan area.
    const ToolRun volume = runTool(kCli + " volume " + site + cut + " --datum 0");
    ASSERT_EQ(volume.exitCode, 0) << volume.output;
    EXPECT_EQ(lineOf("\n" + volume.output, "area:"),
              "area: " + std::to_string(cellsKept(1, 1, 9, 8, 3, 3, 6, 5)) + ".000000");

    EXPECT_EQ(runTool(kCli + " ponds " + site + cut).exitCode, 0);
    EXPECT_EQ(
        runTool(kCli + " render " + site + cut + " --max-edge 2 --out " + dir.path("r.png") + " --size 32x32").exitCode,
        0);
    // Refused: a polygon of two corners, a limit that is not above zero.
    EXPECT_EQ(runTool(kCli + " info " + site + " --boundary '1,1;2,2'").exitCode, 2);
    EXPECT_EQ(runTool(kCli + " info " + site + " --max-edge 0").exitCode, 2);
    EXPECT_EQ(runTool(kCli + " info " + site + " --max-edge -1").exitCode, 2);
}

TEST(CliBoundaries, MaxEdgeOpensTheBayOfAnLShapedSurvey) {
    // The square 0..20 without the corner x > 10, y > 10: 300 unit cells.
    TempDir dir;
    std::string points;
    int number = 1;
    for (int y = 0; y <= 20; ++y)
        for (int x = 0; x <= 20; ++x)
            if (x <= 10 || y <= 10)
                points += std::to_string(number++) + "," + std::to_string(y) + "," + std::to_string(x) + ",100,G\n";
    const std::string site = dir.write("l.txt", points);
    const ToolRun info = runTool(kCli + " info " + site + " --surface --max-edge 1.2");
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_EQ(lineOf(info.output, "triangles:"), "triangles: 600");
    EXPECT_EQ(info.output.find("boundaries"), std::string::npos);  // a rule, not a polygon
    EXPECT_EQ(lineOf(runTool(kCli + " info " + site + " --surface").output, "triangles:"), "triangles: 619");
}

}  // namespace
}  // namespace vellacor
