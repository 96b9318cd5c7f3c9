// Cross sections: the grid interval and station texts, picking the two ends,
// the live profile over the view, and the section drawing and point table
// that Save and the command-line tool write.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "../export/run_tool.h"
#include "../surface/surface_support.h"
#include "app/surface_stages.h"
#include "section/section_draw.h"
#include "section/section_dxf.h"
#include "support/temp_files.h"
#include "surface/drape.h"

namespace vellacor::testing {
namespace {

TEST(SectionScale, GridIntervalFollowsTheSiteSize) {
    EXPECT_EQ(sectionGridInterval(300), 10);
    EXPECT_EQ(sectionGridInterval(340), 20);
    EXPECT_EQ(sectionGridInterval(3400), 200);
    EXPECT_EQ(sectionGridInterval(34000), 2000);
    EXPECT_DOUBLE_EQ(sectionTextHeight(3400), 20.0);
}

TEST(SectionScale, StationTexts) {
    EXPECT_EQ(stationText(0), "0+00");
    EXPECT_EQ(stationText(250), "2+50");
    EXPECT_EQ(stationText(1005), "10+5");
    EXPECT_EQ(stationText(99.9), "0+99");
    EXPECT_EQ(stationText(12300), "123+00");
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

    SiteModel model;
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

// A plane, z = 50 + 0.1 e + 0.2 n over 0..100 both ways, written as a point
// file and cut from (5, 52) to (95, 52) by the command-line tool.
class SectionOfAPlane : public ::testing::Test {
protected:
    static double plane(double e, double n) { return 50.0 + 0.1 * e + 0.2 * n; }

    void SetUp() override {
        std::ostringstream points;
        int number = 1;
        for (int n = 0; n <= 100; n += 10)
            for (int e = 0; e <= 100; e += 10)
                points << number++ << ',' << n << ',' << e << ',' << plane(e, n) << ",GS\n";
        file = dir.write("plane.txt", points.str());
    }

    ToolRun cut(const std::string& extra) const {
        return runTool(std::string(VELLACOR_CLI) + " section '" + file + "' --from 5,52 --to 95,52 " + extra);
    }

    TempDir dir;
    std::string file;
};

TEST_F(SectionOfAPlane, TableHoldsTheDrapedPointsOnThePlane) {
    const std::string csv = dir.path("cut.csv");
    const ToolRun run = cut("--csv '" + csv + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string text = readFile(csv);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "station,easting,northing,elevation");
    int rows = 0;
    double lastStation = -1;
    while (std::getline(lines, line)) {
        double station = 0, e = 0, n = 0, z = 0;
        char c1 = 0, c2 = 0, c3 = 0;
        std::istringstream row(line);
        ASSERT_TRUE(row >> station >> c1 >> e >> c2 >> n >> c3 >> z) << line;
        EXPECT_EQ(line.substr(line.rfind('.') + 1).size(), 6u) << line;
        EXPECT_NEAR(z, plane(e, n), 1e-6) << line;
        EXPECT_NEAR(station, e - 5.0, 1e-6);
        EXPECT_GT(station, lastStation);
        lastStation = station;
        ++rows;
    }
    // Both ends and the crossings of the nine grid lines and the diagonals between.
    EXPECT_GE(rows, 11);
    EXPECT_NEAR(lastStation, 90.0, 1e-6);
}

TEST_F(SectionOfAPlane, DrawingOpensCleanWithTheEntitiesItShows) {
    if (!ezdxfAvailable()) GTEST_SKIP() << "ezdxf is not installed";
    const std::string dxf = dir.path("cut.dxf");
    const ToolRun run = cut("--out '" + dxf + "'");
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

TEST(SectionCommand, RefusesAnIncompleteCommandLine) {
    EXPECT_EQ(runTool(std::string(VELLACOR_CLI) + " section x.txt --from 1,2 --out a.dxf").exitCode, 2);
    EXPECT_EQ(runTool(std::string(VELLACOR_CLI) + " section x.txt --from 1,2 --to 3").exitCode, 2);
    EXPECT_EQ(runTool(std::string(VELLACOR_CLI) + " section x.txt --from 1,2 --to 3,4").exitCode, 2);
}

}  // namespace
}  // namespace vellacor::testing
