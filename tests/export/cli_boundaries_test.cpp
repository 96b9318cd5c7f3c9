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

// Grid points one unit apart, elevation rising with easting, those `keep` accepts,
// each written by `line(number, x, y)`.
template <typename Keep, typename Line>
std::string gridText(int side, Keep keep, Line line) {
    std::string text;
    for (int y = 0, n = 1; y <= side; ++y)
        for (int x = 0; x <= side; ++x)
            if (keep(x, y)) text += line(n++, x, y);
    return text;
}

std::string pointLine(int n, int x, int y) {
    return std::to_string(n) + "," + std::to_string(y) + "," + std::to_string(x) + "," + std::to_string(100 + x) +
           ",G\n";
}

// The unit cells of the 10 x 10 grid inside [1, 9) x [1, 8) and outside the hole [3, 6) x [3, 5).
int cellsKept() {
    int cells = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) cells += x >= 1 && x < 9 && y >= 1 && y < 8 && !(x >= 3 && x < 6 && y >= 3 && y < 5);
    return cells;
}

TEST(CliBoundaries, LandXmlOuterAndHideBoundariesCutTheSurfaceAndASaveKeepsThem) {
    TempDir dir;
    // The outer ring closed by its first corner again; a void and a hide (the same as a void), 2D and 3D;
    // an island and a line are not applied.
    const std::string points = gridText(10, [](int, int) { return true; }, [](int n, int x, int y) {
        return "<CgPoint name=\"" + std::to_string(n) + "\">" + std::to_string(y) + " " + std::to_string(x) + " " +
               std::to_string(100 + x) + "</CgPoint>\n";
    });
    const std::string xml = dir.write(
        "site.xml",
        "<?xml version=\"1.0\"?>\n<LandXML><CgPoints>\n" + points +
            "</CgPoints><Surfaces><Surface name=\"g\"><SourceData><Boundaries>\n"
            "<Boundary name=\"o\" bndType=\"outer\" edgeTrim=\"true\"><PntList2D>1 1 1 9 8 9 8 1 1 1</PntList2D></Boundary>\n"
            "<Boundary name=\"v\" bndType=\"void\" edgeTrim=\"true\"><PntList3D>3 3 0 3 6 0 5 6 0 5 3 0</PntList3D></Boundary>\n"
            "<Boundary name=\"h\" bndType=\"hide\" edgeTrim=\"true\"><PntList2D>6 7 6 8 7 8 7 7</PntList2D></Boundary>\n"
            "<Boundary name=\"i\" bndType=\"island\" edgeTrim=\"true\"><PntList2D>4 4 4 5 5 5</PntList2D></Boundary>\n"
            "<Boundary name=\"l\" bndType=\"outer\" edgeTrim=\"true\"><PntList2D>0 0 10 10</PntList2D></Boundary>\n"
            "</Boundaries></SourceData></Surface></Surfaces></LandXML>\n");
    const std::string expected = "triangles: " + std::to_string(2 * (cellsKept() - 1));  // the hide is cell (7, 6)
    const ToolRun info = runTool(kCli + " info " + xml + " --surface");
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_EQ(lineOf(info.output, "points:"), "points: 121");  // the points outside stay
    EXPECT_EQ(lineOf(info.output, "boundaries:"), "boundaries: 3");
    EXPECT_EQ(lineOf(info.output, "triangles:"), expected);

    // Saved with its surface, the boundaries go with it and cut it again the same.
    const std::string saved = dir.path("saved.xml");
    ASSERT_EQ(runTool(kCli + " convert " + xml + " --to " + saved + " --surface").exitCode, 0);
    const std::string text = readFile(saved);
    EXPECT_NE(text.find("<Boundary name=\"1\" bndType=\"outer\" edgeTrim=\"false\">\n\t\t\t\t\t\t<PntList2D>1 1 1 9 "
                        "8 9 8 1 1 1</PntList2D>"),
              std::string::npos)
        << text;
    if (xmllintAvailable()) {
        EXPECT_EQ(checkXml(saved).exitCode, 0) << checkXml(saved).output;
    }
    const ToolRun again = runTool(kCli + " info " + saved + " --surface");
    EXPECT_EQ(lineOf(again.output, "boundaries:"), "boundaries: 3");
    EXPECT_EQ(lineOf(again.output, "triangles:"), expected);
}

TEST(CliBoundaries, OptionsCutTheSurfaceOfEachCommand) {
    TempDir dir;
    const std::string site = dir.write("site.txt", gridText(10, [](int, int) { return true; }, pointLine));
    const std::string cut = " --boundary '1,1;9,1;9,8;1,8' --hide '3,3;6,3;6,5;3,5'";
    const ToolRun info = runTool(kCli + " info " + site + " --surface" + cut);
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_EQ(lineOf(info.output, "boundaries:"), "boundaries: 2");
    EXPECT_EQ(lineOf(info.output, "triangles:"), "triangles: " + std::to_string(2 * cellsKept()));
    // Without boundaries the lines are as before: no boundaries line.
    const ToolRun plain = runTool(kCli + " info " + site + " --surface");
    EXPECT_EQ(plain.output.find("boundaries"), std::string::npos);
    EXPECT_EQ(lineOf(plain.output, "triangles:"), "triangles: 200");

    // A section along a row through the hole has an empty row where it is off the surface.
    ASSERT_EQ(runTool(kCli + " section " + site + cut + " --from 2,4 --to 8,4 --csv " + dir.path("s.csv")).exitCode, 0);
    EXPECT_NE(readFile(dir.path("s.csv")).find("\n\n"), std::string::npos);
    // The volume to a datum covers only the kept plan area.
    const ToolRun volume = runTool(kCli + " volume " + site + cut + " --datum 0");
    EXPECT_EQ(lineOf(volume.output, "area:"), "area: " + std::to_string(cellsKept()) + ".000000") << volume.output;

    // Refused: a polygon of two corners, a limit that is not above zero.
    for (const char* refused : {" --boundary '1,1;2,2'", " --max-edge 0", " --max-edge -1"})
        EXPECT_EQ(runTool(kCli + " info " + site + refused).exitCode, 2) << refused;
}

TEST(CliBoundaries, MaxEdgeOpensTheBayOfAnLShapedSurvey) {
    // The square 0..20 without the corner x > 10, y > 10: 300 unit cells.
    TempDir dir;
    const std::string site =
        dir.write("l.txt", gridText(20, [](int x, int y) { return x <= 10 || y <= 10; }, pointLine));
    const ToolRun info = runTool(kCli + " info " + site + " --surface --max-edge 1.2");
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_EQ(lineOf(info.output, "triangles:"), "triangles: 600");
    EXPECT_EQ(info.output.find("boundaries"), std::string::npos);  // a rule, not a polygon
    EXPECT_EQ(lineOf(runTool(kCli + " info " + site + " --surface").output, "triangles:"), "triangles: 619");
}

}  // namespace
}  // namespace vellacor
