// Surface files through the command-line tool: the breaklines a file brings,
// DXF documents and overlays, and boundaries that cut the surface.
#include <gtest/gtest.h>

#include <string>

#include "export/run_tool.h"
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
    const std::string info = cliOutput("info " + xml + " --format XML --surface");
    EXPECT_NE(info.find("format: XML\npoints: 4\n"), std::string::npos) << info;
    EXPECT_NE(info.find("triangles: 2\n"), std::string::npos) << info;
    EXPECT_TRUE(info.ends_with("\nbreaklines: 1\n")) << info;

    // A file without breaklines has no such line; an .exe is the demonstration.
    const std::string demo = cliOutput("info " + dir.write("x.exe", "") + " --surface");
    EXPECT_NE(demo.find("points: 2500\n"), std::string::npos) << demo;
    EXPECT_NE(demo.find("triangles: 4802\n"), std::string::npos) << demo;
    EXPECT_EQ(demo.find("breaklines"), std::string::npos);
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
    const std::string built = cliOutput("info " + site + " --format PNEZD --surface");
    const std::string triangles = lineOf(built, "triangles: ");
    ASSERT_FALSE(triangles.empty()) << built;
    // Converted from `from` with `options` into `name` in the folder: its path.
    const auto converted = [&](const std::string& from, const std::string& options, const std::string& name) {
        cliOutput("convert " + from + options + " --to " + dir.path(name));
        return dir.path(name);
    };

    // The surface alone: the same triangles come back, and saved again they are the same bytes.
    const std::string surface = converted(site, " --format PNEZD --surface", "surface.dxf");
    const std::string info = cliOutput("info " + surface);
    EXPECT_NE(info.find("format: DXF\npoints: 25\n"), std::string::npos) << info;
    EXPECT_EQ(lineOf(info, "triangles: "), triangles) << info;
    EXPECT_EQ(info.find("breaklines"), std::string::npos) << info;
    EXPECT_EQ(readFile(converted(surface, " --surface", "again.dxf")), readFile(surface));

    // Points, contours and surface together: the survey points are the surface's points.
    const std::string all = converted(site, " --format PNEZD --points --contours --surface", "all.dxf");
    const std::string allInfo = cliOutput("info " + all);
    EXPECT_EQ(lineOf(allInfo, "points: "), "points: 25") << allInfo;
    EXPECT_EQ(lineOf(allInfo, "nextPointNumber: "), lineOf(built, "nextPointNumber: "));
    EXPECT_EQ(lineOf(allInfo, "triangles: "), triangles) << allInfo;
    EXPECT_EQ(readFile(converted(all, " --surface", "from-all.dxf")), readFile(surface));

    // With breaklines forced in: they come back as breaklines, and going into
    // the surface they were saved with they change none of its triangles.
    const std::string pairs = " --add-breaklines " + dir.write("pairs.txt", "1,7\n7,13\n13,19\n");
    const std::string forced = cliOutput("info " + site + " --format PNEZD --surface" + pairs);
    ASSERT_EQ(lineOf(forced, "breaklines: "), "breaklines: 3 0") << forced;
    // (Contours are left out: lines through points at their levels would be breaklines too.)
    const std::string withBreaklines = converted(site, " --format PNEZD --points --breaklines --surface" + pairs, "breaklines.dxf");
    const std::string forcedSurface = converted(site, " --format PNEZD --surface" + pairs, "forced.dxf");
    const std::string back = cliOutput("info " + withBreaklines + " --surface");
    EXPECT_EQ(lineOf(back, "triangles: "), lineOf(forced, "triangles: ")) << back;
    EXPECT_EQ(lineOf(back, "contours: "), lineOf(forced, "contours: ")) << back;
    EXPECT_TRUE(back.ends_with("\nbreaklines: 3\n")) << back;
    EXPECT_EQ(readFile(converted(withBreaklines, " --surface", "resaved.dxf")), readFile(forcedSurface));

    // A drawing without a surface prints what it always did: no triangles line.
    const std::string plain = cliOutput("info " + converted(site, " --format PNEZD --points", "points.dxf"));
    EXPECT_EQ(plain.find("triangles"), std::string::npos) << plain;
}

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
    cliOutput("convert " + site + " --to " + dxf + " --points");

    // Our own drawing opens as a document with the same points.
    const std::string info = cliOutput("info " + dxf);
    EXPECT_NE(info.find("format: DXF\npoints: 9\n"), std::string::npos) << info;

    // Line work through two points becomes a breakline; an overlay is counted in entries.
    const std::string lines = dir.write(
        "lines.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n6000\n20\n5000\n11\n6010\n21\n5010\n0\nPOINT\n10\n6000\n20\n5000\n"
                     "30\n100\n0\nENDSEC\n");
    const std::string dwf = dir.write("plan.dwf", "(DWF V00.30)L 0,0 10,10 R 5,5 3");
    for (const std::string& overlay : {lines, dwf})
        EXPECT_NE(cliOutput("info " + site + " --overlay " + overlay).find("\noverlay: 2\n"), std::string::npos) << overlay;
    // the overlay's lines are not breaklines
    EXPECT_EQ(cliOutput("info " + dxf + " --overlay " + lines).find("breaklines:"), std::string::npos);
    cliOutput("render " + site + " --overlay " + lines + " --out " + dir.path("o.png"));

    const ToolRun binary = runTool(kCli + " info " + dir.write("bin.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22)));
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
    const std::string info = cliOutput("info " + drawing);
    EXPECT_NE(info.find("points: 3\n"), std::string::npos) << info;
    EXPECT_NE(info.find("\nbreaklines: 2\n"), std::string::npos) << info;
}

// Boundaries through the command-line tool: from a LandXML file and from the
// options, counted against the grid they cut, and kept by a LandXML save.

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
    const std::string info = cliOutput("info " + xml + " --surface");
    EXPECT_EQ(lineOf(info, "points:"), "points: 121");  // the points outside stay
    EXPECT_EQ(lineOf(info, "boundaries:"), "boundaries: 3");
    EXPECT_EQ(lineOf(info, "triangles:"), expected);

    // Saved with its surface, the boundaries go with it and cut it again the same.
    const std::string saved = dir.path("saved.xml");
    cliOutput("convert " + xml + " --to " + saved + " --surface");
    const std::string text = readFile(saved);
    EXPECT_NE(text.find("<Boundary name=\"1\" bndType=\"outer\" edgeTrim=\"false\">\n\t\t\t\t\t\t<PntList2D>1 1 1 9 "
                        "8 9 8 1 1 1</PntList2D>"),
              std::string::npos)
        << text;
    if (xmllintAvailable()) {
        EXPECT_EQ(checkXml(saved).exitCode, 0) << checkXml(saved).output;
    }
    const std::string again = cliOutput("info " + saved + " --surface");
    EXPECT_EQ(lineOf(again, "boundaries:"), "boundaries: 3");
    EXPECT_EQ(lineOf(again, "triangles:"), expected);
}

TEST(CliBoundaries, OptionsCutTheSurfaceOfEachCommand) {
    TempDir dir;
    const std::string site = dir.write("site.txt", gridText(10, [](int, int) { return true; }, pointLine));
    const std::string cut = " --boundary '1,1;9,1;9,8;1,8' --hide '3,3;6,3;6,5;3,5'";
    const std::string info = cliOutput("info " + site + " --surface" + cut);
    EXPECT_EQ(lineOf(info, "boundaries:"), "boundaries: 2");
    EXPECT_EQ(lineOf(info, "triangles:"), "triangles: " + std::to_string(2 * cellsKept()));
    // Without boundaries the lines are as before: no boundaries line.
    const std::string plain = cliOutput("info " + site + " --surface");
    EXPECT_EQ(plain.find("boundaries"), std::string::npos);
    EXPECT_EQ(lineOf(plain, "triangles:"), "triangles: 200");

    // A section along a row through the hole has an empty row where it is off the surface.
    cliOutput("section " + site + cut + " --from 2,4 --to 8,4 --csv " + dir.path("s.csv"));
    EXPECT_NE(readFile(dir.path("s.csv")).find("\n\n"), std::string::npos);
    // The volume to a datum covers only the kept plan area.
    EXPECT_EQ(lineOf(cliOutput("volume " + site + cut + " --datum 0"), "area:"), "area: " + std::to_string(cellsKept()) + ".000000");

    // Refused: a polygon of two corners, a limit that is not above zero.
    for (const char* refused : {" --boundary '1,1;2,2'", " --max-edge 0", " --max-edge -1"})
        EXPECT_EQ(runTool(kCli + " info " + site + refused).exitCode, 2) << refused;
}

TEST(CliBoundaries, MaxEdgeOpensTheBayOfAnLShapedSurvey) {
    // The square 0..20 without the corner x > 10, y > 10: 300 unit cells.
    TempDir dir;
    const std::string site =
        dir.write("l.txt", gridText(20, [](int x, int y) { return x <= 10 || y <= 10; }, pointLine));
    const std::string info = cliOutput("info " + site + " --surface --max-edge 1.2");
    EXPECT_EQ(lineOf(info, "triangles:"), "triangles: 600");
    EXPECT_EQ(info.find("boundaries"), std::string::npos);  // a rule, not a polygon
    EXPECT_EQ(lineOf(cliOutput("info " + site + " --surface"), "triangles:"), "triangles: 619");
}

}  // namespace
}  // namespace vellacor
