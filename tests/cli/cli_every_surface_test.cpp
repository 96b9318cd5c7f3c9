// Every command opens every kind of surface the same way: a grid (an ASCII
// grid, the program's own GeoTIFF DEM) gives what the same grid gives as
// points, and faces a file lists twice are counted once.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "export/run_tool.h"
#include "support/png_read.h"
#include "support/temp_files.h"

namespace vellacor::testing {
namespace {

const std::string kCli = VELLACOR_CLI;

ToolRun cli(const std::string& arguments) { return runTool(kCli + " " + arguments); }
// What a run prints on stdout alone: the figures, without the messages.
ToolRun figures(const std::string& arguments) { return runTool(kCli + " " + arguments + " 2>/dev/null; exit $?"); }

// A bowl z = 100 + ((c - 8)^2 + 2 (r - 12)^2) / 2 on 21 x 21 cells of 5 m,
// heights in halves: exact in a 32-bit raster, in point text and, averaged
// over a cell's corners, in a DEM's cells. Its four corners of every cell lie
// in one plane, so whichever diagonal a triangulation draws in a square (a
// tie for points), the surface is the same.
double bowl(int c, int r) { return 100 + ((c - 8) * (c - 8) + 2 * (r - 12) * (r - 12)) / 2.0; }

std::string bowlGrid() {
    std::string text = "ncols 21\nnrows 21\nxllcorner 1000\nyllcorner 2000\ncellsize 5\n";
    for (int r = 20; r >= 0; --r)  // the first row is the northernmost
        for (int c = 0; c <= 20; ++c) {
            char value[32];
            std::snprintf(value, sizeof value, "%g%c", bowl(c, r), c == 20 ? '\n' : ' ');
            text += value;
        }
    return text;
}

// The same cells' centres as PNEZD points, numbered from 0 in the grid's order.
std::string bowlPoints() {
    std::string text;
    int number = 0;
    for (int r = 20; r >= 0; --r)
        for (int c = 0; c <= 20; ++c) {
            char line[96];
            std::snprintf(line, sizeof line, "%d,%.1f,%.1f,%g,\n", number++, 2002.5 + 5 * r, 1002.5 + 5 * c,
                          bowl(c, r));
            text += line;
        }
    return text;
}

struct Station {
    double distance, elevation;
};

std::vector<Station> sectionProfile(const std::string& csv) {
    std::vector<Station> profile;
    std::istringstream in(readFile(csv));
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        double d = 0, e = 0, n = 0, z = 0;
        if (std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf", &d, &e, &n, &z) == 4) profile.push_back({d, z});
    }
    return profile;
}

// Each station of `a` lies on the profile `b` draws. A triangulation of the
// points may cross a square's other diagonal, which adds a station on the same line.
void expectOnProfile(const std::vector<Station>& a, const std::vector<Station>& b) {
    ASSERT_GE(b.size(), 2u);
    for (const Station& s : a) {
        std::size_t k = 1;
        while (k + 1 < b.size() && b[k].distance < s.distance) ++k;
        const double t = (s.distance - b[k - 1].distance) / (b[k].distance - b[k - 1].distance);
        EXPECT_NEAR(s.elevation, b[k - 1].elevation + t * (b[k].elevation - b[k - 1].elevation), 1e-5) << s.distance;
    }
}

// What each command prints (and writes) for a surface file, compared with
// the same for the same grid as points.
void expectSameAsPoints(TempDir& dir, const std::string& grid, const std::string& points, const std::string& design) {
    SCOPED_TRACE(grid);
    for (const std::string& arguments : {"volume '" + grid + "' --datum 150", "volume '" + grid + "' '" + design + "'",
                                         "volume '" + design + "' '" + grid + "'", "ponds '" + grid + "'"}) {
        std::string onPoints = arguments;
        onPoints.replace(onPoints.find(grid), grid.size(), points);
        const ToolRun run = figures(arguments), pointRun = figures(onPoints + " --format PNEZD");
        EXPECT_EQ(run.exitCode, 0) << arguments << "\n" << run.output;
        EXPECT_EQ(run.output, pointRun.output) << arguments;
    }
    const std::string section = " --from 1003,2010 --to 1090,2095 --csv ";
    ASSERT_EQ(cli("section '" + grid + "'" + section + dir.path("grid.csv")).exitCode, 0);
    ASSERT_EQ(cli("section '" + points + "' --format PNEZD" + section + dir.path("points.csv")).exitCode, 0);
    const std::vector<Station> a = sectionProfile(dir.path("grid.csv")), b = sectionProfile(dir.path("points.csv"));
    EXPECT_GT(a.size(), 20u);
    expectOnProfile(a, b);
    expectOnProfile(b, a);

    // The same picture but for the light on the squares whose other diagonal
    // the points' triangulation drew (a triangle is lit at its centre).
    const std::string options = " --size 320x240 --contours --out ";
    ASSERT_EQ(cli("render '" + grid + "'" + options + dir.path("grid.png")).exitCode, 0);
    ASSERT_EQ(cli("render '" + points + "' --format PNEZD" + options + dir.path("points.png")).exitCode, 0);
    DecodedPng gridPng, pointsPng;
    ASSERT_TRUE(readPng(dir.path("grid.png"), gridPng) && readPng(dir.path("points.png"), pointsPng));
    const std::vector<std::uint8_t> &p = gridPng.indices, &q = pointsPng.indices;
    ASSERT_EQ(p.size(), 320u * 240u);
    ASSERT_EQ(q.size(), p.size());
    std::size_t differ = 0;
    for (std::size_t i = 0; i < p.size(); ++i) differ += p[i] != q[i];
    EXPECT_LT(differ, p.size() / 40);
}

TEST(CliEverySurface, GridsGiveWhatTheirPointsGiveInEveryCommand) {
    TempDir dir;
    const std::string grid = dir.write("bowl.asc", bowlGrid());
    const std::string points = dir.write("bowl.pts", bowlPoints());
    // A plane tilted across the bowl, so that it cuts and fills.
    const std::string design =
        dir.write("design.txt", "1,1990,990,120,D\n2,1990,1120,140,D\n3,2120,1120,150,D\n4,2120,990,130,D\n");
    expectSameAsPoints(dir, grid, points, design);

    // The program's own DEM of the points, and the points it saves of that DEM.
    const std::string dem = dir.path("bowl.tif");
    ASSERT_EQ(cli("convert '" + points + "' --format PNEZD --cell 5 --to " + dem).exitCode, 0);
    const std::string demPoints = dir.path("dem.pts");
    ASSERT_EQ(cli("convert " + dem + " --to " + demPoints).exitCode, 0);
    expectSameAsPoints(dir, dem, demPoints, design);

    // A grid's surface ends at the boundaries given, as any surface does.
    const ToolRun cut = figures("volume '" + grid + "' --datum 150 --boundary '1000,2000;1050,2000;1050,2105;1000,2105'");
    ASSERT_EQ(cut.exitCode, 0) << cut.output;
    EXPECT_EQ(lineOf(cut.output, "area: "), "area: 4750.000000");
}

// A pad on level ground 10 m up: a 100 m square rising 0.8 m to its 50 m
// square top, 4666.666667 m3 over 10000 m2 (the frustum's volume). The
// LandXML file lists two of its faces twice, turned and rotated.
std::string padLandXml() {
    return R"(<LandXML><Surfaces><Surface name="pad"><Definition surfType="TIN"><Pnts>
<P id="1">0 0 10</P><P id="2">0 100 10</P><P id="3">100 100 10</P><P id="4">100 0 10</P>
<P id="5">25 25 10.8</P><P id="6">25 75 10.8</P><P id="7">75 75 10.8</P><P id="8">75 25 10.8</P>
</Pnts><Faces>
<F>5 6 7</F><F>5 7 8</F><F>1 2 6</F><F>1 6 5</F><F>6 7 5</F><F>2 3 7</F><F>2 7 6</F>
<F>3 4 8</F><F>3 8 7</F><F>4 1 5</F><F>4 5 8</F><F>6 2 1</F>
</Faces></Definition></Surface></Surfaces></LandXML>)";
}

TEST(CliEverySurface, FacesListedTwiceAreCountedOnce) {
    TempDir dir;
    const std::string pad = dir.write("pad.xml", padLandXml());
    const std::string ground = dir.write("ground.txt", "1,0,0,10,G\n2,0,100,10,G\n3,100,100,10,G\n4,100,0,10,G\n");
    const std::string fill =
        "cut: 0.000000\nfill: 4666.666667\nnet: 4666.666667\ncut-area: 0.000000\nfill-area: 10000.000000\n"
        "area: 10000.000000\n";
    const std::string cut =
        "cut: 4666.666667\nfill: 0.000000\nnet: -4666.666667\ncut-area: 10000.000000\nfill-area: 0.000000\n"
        "area: 10000.000000\n";
    EXPECT_EQ(figures("volume " + ground + " " + pad + " --format PNEZD").output, fill);
    EXPECT_EQ(figures("volume " + pad + " " + ground + " --format PNEZD").output, cut);
    EXPECT_EQ(figures("volume " + pad + " --datum 10").output, cut);

    // info says how many went, after the triangles that stay.
    const ToolRun info = cli("info " + pad + " --surface");
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("\ntriangles: 10\nduplicate faces: 2\ncontours: "), std::string::npos) << info.output;
    // A LandXML save writes each face once.
    ASSERT_EQ(cli("convert " + pad + " --surface --to " + dir.path("again.xml")).exitCode, 0);
    const std::string again = readFile(dir.path("again.xml"));
    std::size_t faces = 0;
    for (std::size_t at = again.find("<F>"); at != std::string::npos; at = again.find("<F>", at + 1)) ++faces;
    EXPECT_EQ(faces, 10u);

    // A raw triangle list: a triangle again, one with two corners at one
    // place and one on a line; without --surface the line stands where the
    // triangles would.
    const std::string raw = dir.write("tin.raw",
                                      "0 0 1\n10 0 2\n0 10 3\n"
                                      "10 0 2\n10 10 4\n0 10 3\n"
                                      "0 10 3\n10 0 2\n0 0 1\n"
                                      "0 0 1\n0 0 1\n10 10 4\n"
                                      "0 0 1\n5 5 2\n10 10 4\n");
    const ToolRun rawInfo = cli("info " + raw);
    ASSERT_EQ(rawInfo.exitCode, 0) << rawInfo.output;
    EXPECT_NE(rawInfo.output.find("\nnextPointNumber: 100\nduplicate faces: 3\n"), std::string::npos) << rawInfo.output;
    // A file without such faces prints no such line.
    EXPECT_EQ(cli("info " + ground + " --format PNEZD --surface").output.find("duplicate"), std::string::npos);
}

}  // namespace
}  // namespace vellacor::testing
