// Cross sections: the grid interval and station texts, picking the two ends,
// the live profile over the view, and the section drawing and point table
// that Save and the command-line tool write.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <sstream>

#include "../export/run_tool.h"
#include "../surface/surface_support.h"
#include "section/section_draw.h"
#include "section/section_dxf.h"
#include "support/temp_files.h"
#include "surface/drape.h"

namespace vellacor::testing {
namespace {

// The interval is the drawing grid's (checked step by step with the DXF writer).
TEST(SectionScale, GridIntervalFollowsTheSiteSize) {
    EXPECT_EQ(sectionGridInterval(3400), 200);
    EXPECT_DOUBLE_EQ(sectionTextHeight(3400), 20.0);
    // 1005 is never to be read as 10+50.
    const std::pair<double, const char*> stations[] = {{0, "0+00"},      {250, "2+50"},  {1005, "10+05"},     {7, "0+07"},
                                                       {1010, "10+10"}, {99.9, "0+99"}, {12300, "123+00"}};
    for (const auto& [distance, text] : stations) EXPECT_EQ(stationText(distance), text);
}

TEST(SectionPick, FirstPickSetsTheStartAndTheSecondCompletes) {
    SectionLine s;
    EXPECT_FALSE(pickSectionPoint(s, std::nullopt));  // off the ground: nothing set
    EXPECT_FALSE(s.hasStart());
    EXPECT_FALSE(pickSectionPoint(s, Vec3{10, 20, 5}));
    EXPECT_TRUE(s.hasStart());
    EXPECT_FALSE(s.hasEnd());
    EXPECT_FALSE(pickSectionPoint(s, std::nullopt));
    EXPECT_FALSE(s.complete);
    // The same spot again still completes the section.
    EXPECT_TRUE(pickSectionPoint(s, Vec3{10, 20, 5}));
    EXPECT_TRUE(s.complete);
    EXPECT_EQ(s.endX, 10);
    EXPECT_EQ(s.endY, 20);
}

// Two squares, 0..10 at elevation 1 and 20..30 at elevation 2, with open
// ground between them: a section from x = 1 to x = 29 leaves the surface at
// x = 10 and comes back at x = 20.
class SectionAcrossAGap : public ::testing::Test {
protected:
    void SetUp() override {
        setSurface(model, {{0, 0, 1}, {10, 0, 1}, {10, 10, 1}, {0, 10, 1}, {20, 0, 2}, {30, 0, 2}, {30, 10, 2}, {20, 10, 2}},
                   {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}});
        section.startX = 1;
        section.startY = 5;
        section.endX = 29;
        section.endY = 5;
        section.complete = true;
    }

    // An empty picture of this size, ready for the live marks.
    static void blankFrame(FrameBuffer& frame, int width, int height) {
        resizeFrameBuffer(frame, width, height, Palette{});
        createFrameBitmap(frame, Palette{});
        clearSceneBuffers(frame);
        copySceneToDisplay(frame);
    }

    SurfaceSite model;
    SectionLine section;
    SiteExtents site{{15, 5, 1.5}, 30.0, 1.0, 2.0};
};

TEST_F(SectionAcrossAGap, LiveProfileIsDrawnOnBothSidesOfTheGapOnly) {
    FrameBuffer frame;
    blankFrame(frame, 280, 120);
    const Matrix view = Matrix::identity();
    drawSection(frame, view, linkedSurfaceOf(model), site, section, std::nullopt);
    // 28 units across 280 pixels: ten pixels a unit, the ground at rows 119 and 109.
    auto groundIn = [&](int x0, int x1) {
        int n = 0;
        for (int y = 0; y < frame.viewHeight; ++y)
            for (int x = x0; x <= x1; ++x) n += frame.displayBits[static_cast<std::size_t>(y * frame.viewWidth + x)] == 1;
        return n;
    };
    EXPECT_GT(groundIn(5, 85), 70);
    EXPECT_EQ(groundIn(95, 185), 0);
    EXPECT_GT(groundIn(195, 275), 70);
    EXPECT_EQ(frame.displayBits[static_cast<std::size_t>(109 * frame.viewWidth + 240)], 1);
}

TEST_F(SectionAcrossAGap, NothingIsDrawnBeforeTheFarEndIsKnown) {
    FrameBuffer frame;
    blankFrame(frame, 100, 60);
    const std::vector<std::uint8_t> before = frame.displayBits;
    const Matrix view = Matrix::identity();
    SectionLine open;
    open.startX = 1;
    open.startY = 5;
    drawSection(frame, view, linkedSurfaceOf(model), site, open, std::nullopt);  // no ground under the cursor
    drawSection(frame, view, linkedSurfaceOf(model), site, open, Vec3{1.0005, 5.0005, 1});  // on A
    EXPECT_EQ(frame.displayBits, before);
}

std::size_t countOf(const std::string& text, const std::string& word) {
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

TEST_F(SectionAcrossAGap, DrawingBreaksTheGroundLineWhereItLeavesTheSurface) {
    const std::string entities = sectionDxfEntities(linkedSurfaceOf(model), site, section);
    // One polyline for each square, through the points on it only.
    EXPECT_EQ(countOf(entities, "\nPOLYLINE\n"), 2u);
    const std::vector<Vec3> draped = drapeSection(linkedSurfaceOf(model), 1, 5, 29, 5);
    std::size_t onSurface = 0;
    for (const Vec3& p : draped) onSurface += p.z != kOutsideSurface;
    EXPECT_EQ(countOf(entities, "\nVERTEX\n"), onSurface);
    EXPECT_EQ(countOf(entities, "%%USECTION A-A%%U"), 1u);
}

TEST_F(SectionAcrossAGap, TableLeavesAnEmptyRowWhereTheLineIsOffTheSurface) {
    TempDir dir;
    const std::string path = dir.path("gap.csv");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const bool written = writeSectionCsv(file, linkedSurfaceOf(model), section);
    std::fclose(file);
    ASSERT_TRUE(written);
    EXPECT_EQ(readFile(path),
              "station,easting,northing,elevation\n"
              "0.000000,1.000000,5.000000,1.000000\n"
              "4.000000,5.000000,5.000000,1.000000\n"  // the first square's diagonal
              "9.000000,10.000000,5.000000,1.000000\n"
              "\n"  // off the surface from x = 10 to x = 20
              "19.000000,20.000000,5.000000,2.000000\n"
              "24.000000,25.000000,5.000000,2.000000\n"
              "28.000000,29.000000,5.000000,2.000000\n");
}

// Point files of grids 10 apart over 0..100 both ways, cut by the
// command-line tool: a plane, z = 50 + 0.1 e + 0.2 n; a level grid at 30 with
// a dip to 5 at (50, 50); and that grid with a blunder point 2 cm east of
// (20, 20) typed 95 higher.
class SectionByTheTool : public ::testing::Test {
protected:
    static double plane(double e, double n) { return 50.0 + 0.1 * e + 0.2 * n; }
    static double height(int e, int n) { return e == 50 && n == 50 ? 5.0 : 30.0; }

    void SetUp() override {
        std::ostringstream planePoints, dipPoints;
        int number = 1;
        for (int n = 0; n <= 100; n += 10)
            for (int e = 0; e <= 100; e += 10) {
                planePoints << number << ',' << n << ',' << e << ',' << plane(e, n) << ",GS\n";
                dipPoints << number++ << ',' << n << ',' << e << ',' << height(e, n) << ",GS\n";
            }
        planeFile = dir.write("plane.txt", planePoints.str());
        file = dir.write("dip.txt", dipPoints.str());
        blunder = dir.write("blunder.txt", dipPoints.str() + std::to_string(number) + ",20,20.02,125,BLUNDER\n");
    }

    ToolRun cut(const std::string& points, const std::string& from, const std::string& to, const std::string& extra) const {
        return runTool(std::string(VELLACOR_CLI) + " section '" + points + "' --from " + from + " --to " + to + " " + extra);
    }

    // The section's table as (station, easting, northing, elevation) rows.
    std::vector<std::array<double, 4>> table(const std::string& points, const std::string& from,
                                             const std::string& to) const {
        const std::string csv = dir.path("cut.csv");
        const ToolRun run = cut(points, from, to, "--csv '" + csv + "'");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        const std::string text = readFile(csv);
        EXPECT_EQ(text.find('\r'), std::string::npos);
        std::istringstream lines(text);
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line, "station,easting,northing,elevation");
        std::vector<std::array<double, 4>> rows;
        while (std::getline(lines, line)) {
            EXPECT_EQ(line.substr(line.rfind('.') + 1).size(), 6u) << line;
            std::array<double, 4> row{};
            char comma = 0;
            std::istringstream in(line);
            if (in >> row[0] >> comma >> row[1] >> comma >> row[2] >> comma >> row[3])
                rows.push_back(row);
            else
                ADD_FAILURE() << line;
        }
        return rows;
    }

    TempDir dir;
    std::string planeFile, file, blunder;
};
class SectionOfAPlane : public SectionByTheTool {};
class SectionOfAGridWithADip : public SectionByTheTool {};

TEST_F(SectionOfAPlane, TableHoldsTheDrapedPointsOnThePlane) {
    const auto rows = table(planeFile, "5,52", "95,52");
    double lastStation = -1;
    for (const auto& [station, e, n, z] : rows) {
        EXPECT_NEAR(z, plane(e, n), 1e-6);
        EXPECT_NEAR(station, e - 5.0, 1e-6);
        EXPECT_GT(station, lastStation);
        lastStation = station;
    }
    // Both ends and the crossings of the nine grid lines and the diagonals between.
    EXPECT_GE(rows.size(), 11u);
    EXPECT_NEAR(lastStation, 90.0, 1e-6);
}

TEST_F(SectionOfAPlane, DrawingOpensCleanWithTheEntitiesItShows) {
    if (!ezdxfAvailable()) GTEST_SKIP() << "ezdxf is not installed";
    const std::string dxf = dir.path("cut.dxf");
    const ToolRun run = cut(planeFile, "5,52", "95,52", "--out '" + dxf + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // Grid interval 10 for this 100-unit site, the line 90 long at elevations 60.9 .. 69.9:
    // lines: the section, 2 x 2 end strokes, 10 station ticks, 2 + 10 grid lines;
    // texts: 2 "A", 2 stations on the plan (0+00, 0+50), 2 x 2 elevations,
    // 10 stations under the grid and the title.
    const ToolRun check = checkDxf(dxf, "LINE=27 TEXT=19 POLYLINE=1");
    EXPECT_EQ(check.exitCode, 0) << check.output;
    const std::string text = readFile(dxf);
    EXPECT_NE(text.find("\n  8\nGrid\n"), std::string::npos);
    EXPECT_NE(text.find("\n  8\nGRIDTEXT\n"), std::string::npos);
    EXPECT_NE(text.find("\n  8\nSection\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "\nEOF");
}

TEST_F(SectionOfAGridWithADip, RowsAlongGridLinesHaveEveryPointAtItsHeight) {
    for (const auto& [from, to] : {std::pair{"0,50", "100,50"}, std::pair{"50,0", "50,100"}}) {
        const auto rows = table(file, from, to);
        ASSERT_EQ(rows.size(), 11u) << from;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_NEAR(rows[i][0], 10.0 * static_cast<double>(i), 1e-6);
            EXPECT_NEAR(rows[i][3], height(static_cast<int>(std::lround(rows[i][1])), static_cast<int>(std::lround(rows[i][2]))),
                        1e-6);
        }
        EXPECT_EQ(rows[5][3], 5.0);
    }
    // Through the grid points on the diagonal, dip included.
    const auto diagonal = table(file, "0,0", "100,100");
    int dips = 0;
    for (const auto& row : diagonal) dips += std::fabs(row[1] - 50) < 1e-9 && std::fabs(row[2] - 50) < 1e-9 && row[3] == 5.0;
    EXPECT_EQ(dips, 1);
}

TEST_F(SectionOfAGridWithADip, ABlunderGivesItsRealHeightsAndABoundedDrawing) {
    for (const auto& row : table(blunder, "0,19.99", "100,20.013")) {
        EXPECT_GE(row[3], 30.0 - 1e-6);
        EXPECT_LE(row[3], 125.0 + 1e-6);
    }
    const std::string dxf = dir.path("cut.dxf");
    const ToolRun run = cut(blunder, "0,19.99", "100,20.013", "--out '" + dxf + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // Rows from 20 or 30 to 130 and columns over 110, 10 apart: a few dozen at most.
    const std::size_t gridLines = countOf(readFile(dxf), "\n  8\nGrid\n");
    EXPECT_GE(gridLines, 4u);
    EXPECT_LE(gridLines, 12u + 12u);
}

// The entities of a drawing as read back: each one's type, its first value
// of every group code, and a polyline's vertices.
struct DxfEntity {
    std::string type;
    std::map<int, std::string> values;
    std::vector<std::pair<double, double>> vertices;

    double number(int code) const { return std::stod(values.at(code)); }
    std::string layer() const { return values.at(8); }
};

std::vector<DxfEntity> readEntities(const std::string& text) {
    std::vector<DxfEntity> entities;
    std::istringstream in(text);
    std::string code, value;
    while (std::getline(in, code) && std::getline(in, value)) {
        const int c = std::stoi(code);
        if (c == 0) {
            if (value == "VERTEX" && !entities.empty()) entities.back().vertices.emplace_back();
            if (value != "VERTEX" && value != "SEQEND") entities.push_back({value, {}, {}});
            continue;
        }
        DxfEntity& e = entities.back();
        if (!e.vertices.empty() && (c == 10 || c == 20)) {
            (c == 10 ? e.vertices.back().first : e.vertices.back().second) = std::stod(value);
            continue;
        }
        e.values.emplace(c, value);
    }
    return entities;
}

void expectLine(const DxfEntity& e, const std::string& layer, double x1, double y1, double x2, double y2) {
    EXPECT_EQ(e.type, "LINE");
    EXPECT_EQ(e.layer(), layer);
    EXPECT_NEAR(e.number(10), x1, 1e-6);
    EXPECT_NEAR(e.number(20), y1, 1e-6);
    EXPECT_NEAR(e.number(11), x2, 1e-6);
    EXPECT_NEAR(e.number(21), y2, 1e-6);
}

// Text, position, height, rotation (degrees) and justification (72, 73).
void expectText(const DxfEntity& e, const std::string& text, double x, double y, double height, double rotation,
                int h, int v) {
    EXPECT_EQ(e.type, "TEXT");
    EXPECT_EQ(e.layer(), "GRIDTEXT");
    EXPECT_EQ(e.values.at(1), text);
    EXPECT_NEAR(e.number(10), x, 1e-6) << text;
    EXPECT_NEAR(e.number(20), y, 1e-6) << text;
    EXPECT_NEAR(e.number(40), height, 1e-6) << text;
    EXPECT_NEAR(e.number(50), rotation, 1e-6) << text;
    EXPECT_EQ(e.number(72), h) << text;
    EXPECT_EQ(e.number(73), v) << text;
}

// A slope z = 1 + 0.1 x over 0..30 x 0..10 in two faces (the diagonal from
// (0, 0) to (30, 10)), on a site of size 30: grid interval 10, text height 1.
class SectionDrawingOfASlope : public ::testing::Test {
protected:
    void SetUp() override {
        setSurface(model, {{0, 0, 1}, {30, 0, 4}, {30, 10, 4}, {0, 10, 1}}, {{0, 1, 2}, {0, 2, 3}});
    }

    std::vector<DxfEntity> cut(double ax, double ay, double bx, double by) const {
        SectionLine section;
        section.startX = ax, section.startY = ay, section.endX = bx, section.endY = by;
        section.complete = true;
        return readEntities(sectionDxfEntities(linkedSurfaceOf(model), site, section));
    }

    SurfaceSite model;
    SiteExtents site{{15, 5, 2.5}, 30.0, 1.0, 4.0};
};

TEST_F(SectionDrawingOfASlope, EastwardCutWorkedByHand) {
    const std::vector<DxfEntity> e = cut(5, 5, 25, 5);
    ASSERT_EQ(e.size(), 25u);
    // The line, and at each end a tick to its left (north), a stroke leaning
    // back towards the middle and the letter beyond the tick.
    expectLine(e[0], "Section", 5, 5, 25, 5);
    expectLine(e[1], "Section", 5, 5, 5, 15);
    expectLine(e[2], "Section", 5, 15, 7.3, 15);
    expectText(e[3], "A", 5, 16.5, 2, 0, 1, 2);
    expectLine(e[4], "Section", 25, 5, 25, 15);
    expectLine(e[5], "Section", 25, 15, 22.7, 15);
    expectText(e[6], "A", 25, 16.5, 2, 0, 1, 2);
    // Station ticks every 10 across the line, the label at 0 reading along the tick.
    expectLine(e[7], "GRIDTEXT", 5, 2.5, 5, 7.5);
    expectText(e[8], "0+00", 5, 8.5, 1, 90, 0, 2);
    expectLine(e[9], "GRIDTEXT", 15, 2.5, 15, 7.5);
    expectLine(e[10], "GRIDTEXT", 25, 2.5, 25, 7.5);
    // The profile under the site: A at x = 15 - 20 / 2, the grid's foot at
    // y = 5 - 30 for elevation 0; heights 1.5 .. 3.5 fill one row of 10.
    expectLine(e[11], "Grid", 5, -25, 25, -25);
    expectLine(e[12], "Grid", 5, -15, 25, -15);
    expectLine(e[13], "Grid", 5, -25, 5, -15);
    expectLine(e[14], "Grid", 15, -25, 15, -15);
    expectLine(e[15], "Grid", 25, -25, 25, -15);
    // The ground from A to B, left to right, through the diagonal at x = 15.
    EXPECT_EQ(e[16].type, "POLYLINE");
    EXPECT_EQ(e[16].layer(), "Section");
    const std::vector<std::pair<double, double>> ground{{5, -23.5}, {15, -22.5}, {25, -21.5}};
    ASSERT_EQ(e[16].vertices.size(), ground.size());
    for (std::size_t i = 0; i < ground.size(); ++i) {
        EXPECT_NEAR(e[16].vertices[i].first, ground[i].first, 1e-6);
        EXPECT_NEAR(e[16].vertices[i].second, ground[i].second, 1e-6);
    }
    // Elevations outside both ends of each grid line, stations under the grid, the title over it.
    expectText(e[17], "0", 4, -25, 1, 0, 2, 2);
    expectText(e[18], "0", 26, -25, 1, 0, 0, 2);
    expectText(e[19], "10", 4, -15, 1, 0, 2, 2);
    expectText(e[20], "10", 26, -15, 1, 0, 0, 2);
    expectText(e[21], "0+00", 5, -26, 1, 0, 1, 3);
    expectText(e[22], "0+10", 15, -26, 1, 0, 1, 3);
    expectText(e[23], "0+20", 25, -26, 1, 0, 1, 3);
    expectText(e[24], "%%USECTION A-A%%U", 15, -13, 2, 0, 1, 1);
}

TEST_F(SectionDrawingOfASlope, OtherDirectionsTurnTicksAndLabels) {
    // Westward: the ticks fall to the south, the label reads down the tick,
    // and the profile still runs from A on the left, so it falls.
    const std::vector<DxfEntity> west = cut(25, 5, 5, 5);
    ASSERT_GE(west.size(), 17u);
    expectLine(west[1], "Section", 25, 5, 25, -5);
    expectLine(west[2], "Section", 25, -5, 22.7, -5);
    expectText(west[3], "A", 25, -6.5, 2, 0, 1, 2);
    expectLine(west[4], "Section", 5, 5, 5, -5);
    expectText(west[8], "0+00", 25, 1.5, 1, 270, 0, 2);
    ASSERT_EQ(west[16].vertices.size(), 3u);
    EXPECT_NEAR(west[16].vertices.front().first, 5, 1e-6);
    EXPECT_NEAR(west[16].vertices.front().second, -21.5, 1e-6);
    EXPECT_NEAR(west[16].vertices.back().first, 25, 1e-6);
    EXPECT_NEAR(west[16].vertices.back().second, -23.5, 1e-6);

    // Northward: the ticks point west; the label, turned upright, ends short of the tick.
    const std::vector<DxfEntity> north = cut(15, 1, 15, 9);
    ASSERT_GE(north.size(), 9u);
    expectLine(north[1], "Section", 15, 1, 5, 1);
    expectLine(north[7], "GRIDTEXT", 17.5, 1, 12.5, 1);
    expectText(north[8], "0+00", 11.5, 1, 1, 0, 2, 2);
}

TEST(SectionAcrossAHole, TheGroundLineBreaksAtTheHoleAndComesBackBeyondIt) {
    // A plane over a 20 x 20 grid with a hide boundary along grid lines; a
    // line along a row leaves the surface at x = 6 and comes back at x = 14.
    SurfaceSite site;
    std::vector<Xyz> points;
    for (const Xyz& p : gridPoints(21, 21, 1.0)) points.push_back({p.x, p.y, 50 + 0.5 * p.x});
    loadPoints(site, points);
    site.document.boundaries.polygons = {{BoundaryKind::Hide, {{6, 6, 0}, {14, 6, 0}, {14, 14, 0}, {6, 14, 0}}}};
    buildSurface(site);
    for (const double y : {10.0, 9.5}) {  // along a row of points and between rows
        const std::vector<std::vector<Vec3>> runs = onSurfaceRuns(drapeSection(linkedSurfaceOf(site), 1, y, 19, y));
        ASSERT_EQ(runs.size(), 2u) << y;
        EXPECT_DOUBLE_EQ(runs[0].front().x, 1);
        EXPECT_DOUBLE_EQ(runs[0].back().x, 6);
        EXPECT_DOUBLE_EQ(runs[1].front().x, 14);
        EXPECT_DOUBLE_EQ(runs[1].back().x, 19);
        for (const auto& run : runs)
            for (const Vec3& p : run) EXPECT_NEAR(p.z, 50 + 0.5 * p.x, 1e-9);
    }
    // A line beside the hole stays on the ground all the way.
    EXPECT_EQ(onSurfaceRuns(drapeSection(linkedSurfaceOf(site), 1, 3, 19, 3)).size(), 1u);
}

// The tool refuses a section without its far end or anything to write.
TEST(SectionCommand, RefusesAnIncompleteCommandLine) {
    EXPECT_EQ(runTool(std::string(VELLACOR_CLI) + " section x.txt --from 1,2 --out a.dxf").exitCode, 2);
    EXPECT_EQ(runTool(std::string(VELLACOR_CLI) + " section x.txt --from 1,2 --to 3,4").exitCode, 2);
}

}  // namespace
}  // namespace vellacor::testing
