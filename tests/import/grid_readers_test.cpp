#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "import/demo_surface.h"
#include "import/elevation_raster.h"
#include "import/grid_triangles.h"
#include "import/hgt_file.h"
#include "import/raw_triangles.h"
#include "import/usgs_profiles.h"
#include "support/same_points.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

std::array<int, 3> corners(const TinTriangle& t) { return {t.vertex[0], t.vertex[1], t.vertex[2]}; }

// Plan area of a triangle: positive when its corners run counter-clockwise.
double planArea(const SurfaceReadResult& r, const TinTriangle& t) {
    const SurveyPoint& a = r.points[static_cast<std::size_t>(t.vertex[0])];
    const SurveyPoint& b = r.points[static_cast<std::size_t>(t.vertex[1])];
    const SurveyPoint& c = r.points[static_cast<std::size_t>(t.vertex[2])];
    return ((b.easting - a.easting) * (c.northing - a.northing) - (c.easting - a.easting) * (b.northing - a.northing)) /
           2;
}

void expectCounterClockwise(const SurfaceReadResult& r) {
    for (const TinTriangle& t : r.triangles) ASSERT_GT(planArea(r, t), 0.0);
}

std::string hgtTile(unsigned char high, unsigned char low) {
    std::string bytes(kHgtBytes, '\0');
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        bytes[i] = static_cast<char>(high), bytes[i + 1] = static_cast<char>(low);
    return bytes;
}

void setSample(std::string& tile, int row, int column, unsigned char high, unsigned char low) {
    const std::size_t at = 2 * (static_cast<std::size_t>(row) * kHgtSide + static_cast<std::size_t>(column));
    tile[at] = static_cast<char>(high);
    tile[at + 1] = static_cast<char>(low);
}

TEST(HgtTile, ReadsBigEndianSamplesNorthRowFirstOnAThinnedGrid) {
    std::string tile = hgtTile(0, 10);
    setSample(tile, 0, 1, 0x01, 0x02);  // 258
    setSample(tile, 0, 2, 0xFF, 0xFF);  // -1
    setSample(tile, 1, 1, 0x80, 0x00);  // a void off the thinned grid costs no triangle
    const SurfaceReadResult r = readHgtBytes(tile);
    ASSERT_TRUE(r.message.empty());
    ASSERT_EQ(r.points.size(), 1442401u);
    EXPECT_EQ(r.points[1].elevation, 258);
    EXPECT_EQ(r.points[2].elevation, -1);
    EXPECT_EQ(r.points[kHgtSide + 1].elevation, kVoidElevation);
    EXPECT_TRUE(r.points[kHgtSide + 1].useInSurface);
    EXPECT_DOUBLE_EQ(r.points[0].northing, 1201 * 92.662);
    EXPECT_DOUBLE_EQ(r.points[1442400].northing, 92.662);
    EXPECT_DOUBLE_EQ(r.points[1442400].easting, 1200 * 92.662);
    EXPECT_EQ(r.points[1442400].number, 1442400);
    EXPECT_TRUE(r.trianglesMade);
    EXPECT_EQ(r.triangles.size(), 180000u);
    EXPECT_EQ(corners(r.triangles[0]), (std::array<int, 3>{0, 4 * 1201, 4}));
    expectCounterClockwise(r);

    // Voids take their triangles away.
    setSample(tile, 600, 600, 0x80, 0x00);  // an inner node of the thinned grid: six triangles
    EXPECT_EQ(readHgtBytes(tile).triangles.size(), 180000u - 6);
    const SurfaceReadResult voids = readHgtBytes(hgtTile(0x80, 0x00));
    EXPECT_EQ(voids.points.size(), 1442401u);
    EXPECT_TRUE(voids.triangles.empty());
    EXPECT_TRUE(voids.trianglesMade);
}

TEST(HgtTile, OnlyTheThreeArcSecondSizeIsRead) {
    for (const std::size_t size : {std::size_t{0}, kHgtBytes - 1, kHgtBytes + 1, std::size_t{25934402}}) {
        const SurfaceReadResult r = readHgtBytes(std::string(size, '\0'));
        EXPECT_TRUE(r.points.empty());
        EXPECT_EQ(r.message, kHgtSizeMessage);
    }
    EXPECT_EQ(readHgtFile("/nonexistent/N00E000.hgt").message, "Unable to Open File!");
}

TEST(GridTriangles, StepKeepsTheGridWithinTheLimit) {
    EXPECT_EQ(thinningStep(1201, 1201, kMostGridTriangles), 4);
    EXPECT_EQ(thinningStep(10, 10, kMostGridTriangles), 1);
    EXPECT_EQ(thinningStep(1, 1, kMostGridTriangles), 1);
    const int step = thinningStep(5000, 300, kMostGridTriangles);
    EXPECT_LE(2 * (4999 / step) * (299 / step), 180000);
    EXPECT_GT(2 * (4999 / (step - 1)) * (299 / (step - 1)), 180000);
}

// Profiles of `rows` points, south to north, `columns` of them west to east.
std::string usgsProfiles(int columns, int rows) {
    std::string text;
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < rows; ++r)
            text += std::to_string(1000 + 30 * c) + " " + std::to_string(5000 + 30 * r) + " " +
                    std::to_string(100 + r + c) + "\n";
    return text;
}

TEST(UsgsProfiles, NeighbouringProfilesOfMatchingNorthingsMakeTwoTrianglesACell) {
    const SurfaceReadResult r = readUsgsXyzText(usgsProfiles(3, 4));
    ASSERT_EQ(r.points.size(), 12u);
    EXPECT_EQ(r.points[5].number, 5);
    EXPECT_EQ(r.points[5].easting, 1030);
    EXPECT_TRUE(r.trianglesMade);
    EXPECT_EQ(r.triangles.size(), 12u);
    expectCounterClockwise(r);
    // Point 4 (second profile, south end) with its western neighbours 0 and 1.
    EXPECT_EQ(corners(r.triangles[0]), (std::array<int, 3>{4, 1, 0}));

    // Unmatched or single profiles make none.
    EXPECT_TRUE(readUsgsXyzText(usgsProfiles(1, 50)).triangles.empty());
    EXPECT_TRUE(readUsgsXyzText("1 2 3\n").triangles.empty());
    EXPECT_TRUE(readUsgsXyzText("").points.empty());
    // The second profile's northings are all off by more than the tolerance.
    EXPECT_TRUE(readUsgsXyzText("0 0 1\n0 10 1\n0 20 1\n5 0.5 1\n5 10.5 1\n5 20.5 1\n").triangles.empty());
    // Within the tolerance they match.
    EXPECT_EQ(readUsgsXyzText("0 0 1\n0 10 1\n5 0.0009 1\n5 10.0009 1\n5 20 1\n").triangles.size(), 2u);
}

TEST(UsgsProfiles, ProfilesOfRepeatedNorthingsStayLinear) {
    // Every point at one northing: each is joined to the latest earlier one,
    // found without walking back through the whole file.
    std::string text;
    for (int c = 0; c < 300; ++c)
        for (int r = 0; r < 300; ++r) text += std::to_string(c) + " 7 " + std::to_string(r) + "\n";
    const SurfaceReadResult read = readUsgsXyzText(text);
    EXPECT_EQ(read.points.size(), 90000u);
    for (const TinTriangle& t : read.triangles)
        ASSERT_TRUE(t.vertex[0] != t.vertex[1] && t.vertex[1] != t.vertex[2] && t.vertex[0] != t.vertex[2]);
}

// The profile join as a walk back from each point, point by point.
std::vector<std::array<int, 3>> joinedByWalkingBack(const std::vector<SurveyPoint>& points) {
    const auto p = [&](int k) -> const SurveyPoint& { return points[static_cast<std::size_t>(k)]; };
    const auto near = [](double a, double b) { return std::fabs(a - b) <= 0.001; };
    std::vector<std::array<int, 3>> triangles;
    bool firstProfile = true;
    double previousEasting = 0;
    const int count = static_cast<int>(points.size());
    for (int i = 1; i + 1 < count; ++i) {
        if (p(i).easting != p(i - 1).easting) firstProfile = false, previousEasting = p(i - 1).easting;
        if (firstProfile) continue;
        for (int j = i - 1; j >= 0 && p(j).easting >= previousEasting; --j) {
            if (!near(p(j).northing, p(i).northing)) continue;
            if (j + 1 != i && near(p(j + 1).easting, p(j).easting)) {
                triangles.push_back({i, j + 1, j});
                if (near(p(i + 1).easting, p(i).easting)) triangles.push_back({i, i + 1, j + 1});
            }
            break;
        }
    }
    return triangles;
}

TEST(UsgsProfiles, NearDuplicateNorthingsJoinAsAWalkBackWouldAndStayFast) {
    // Northings crowding a few 0.001 cells, some within the tolerance of each other and some just beyond.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> base(0, 6);
    std::uniform_real_distribution<double> jitter(-0.0006, 0.0006);
    std::string text;
    for (int profile = 0; profile < 4; ++profile)
        for (int k = 0; k < 150; ++k) {
            char line[64];
            std::snprintf(line, sizeof line, "%d %.7f 1\n", profile, 0.0008 * base(rng) + jitter(rng));
            text += line;
        }
    const SurfaceReadResult tied = readUsgsXyzText(text);
    const std::vector<std::array<int, 3>> expected = joinedByWalkingBack(tied.points);
    ASSERT_EQ(tied.triangles.size(), expected.size());
    for (std::size_t t = 0; t < expected.size(); ++t)
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(tied.triangles[t].vertex[k], expected[t][static_cast<std::size_t>(k)]) << t;

    // Two profiles in neighbouring cells, more than the tolerance apart: every
    // point of the second is searched for beside the first's whole crowd.
    constexpr int kPerProfile = 20000;
    text.clear();
    for (int profile = 0; profile < 2; ++profile)
        for (int k = 0; k < kPerProfile; ++k) {
            char line[64];
            std::snprintf(line, sizeof line, "%d %.10f 1\n", profile, 0.0015 * profile + 1e-8 * k);
            text += line;
        }
    const auto start = std::chrono::steady_clock::now();
    const SurfaceReadResult crowd = readUsgsXyzText(text);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    EXPECT_EQ(crowd.points.size(), 2u * kPerProfile);
    EXPECT_TRUE(crowd.triangles.empty());
}

TEST(RawTriangles, ReadingEndsAtTheFirstBadLineSoNoTriangleTakesAnothersCorners) {
    // Triangle t has its corners at elevation 10 t + 1, 2, 3.
    std::string text = "x y z\n";  // a header is no bad line
    for (int t = 0; t < 4; ++t)
        for (int k = 1; k <= 3; ++k) {
            text += std::to_string(t) + " " + std::to_string(k) + " " + std::to_string(10 * t + k) + "\n";
            if (t == 2 && k == 1) text += "2 2 oops\n";
        }
    const SurfaceReadResult r = readRawTriangleText(text);
    ASSERT_TRUE(r.trianglesMade);
    EXPECT_EQ(r.triangles.size(), 2u);
    for (const TinTriangle& t : r.triangles) {
        const int first = static_cast<int>(r.points[static_cast<std::size_t>(t.vertex[0])].elevation) / 10;
        for (int v : t.vertex) EXPECT_EQ(static_cast<int>(r.points[static_cast<std::size_t>(v)].elevation) / 10, first);
    }
    EXPECT_EQ(r.skipped.count, 1);
    EXPECT_EQ(r.skipped.firstLine, 9);
    EXPECT_EQ(r.skipped.firstText, "2 2 oops");
}

TEST(RawTriangles, SharedVerticesBecomeOnePointAndLeftoversAreIgnored) {
    const SurfaceReadResult r = readRawTriangleText(
        "0 0 1\n10 0 2\n0 10 3\n"
        "10 0 2.0004\n10 10 4\n0 10 3\n"
        "99 99 99\n");
    ASSERT_TRUE(r.trianglesMade);
    ASSERT_EQ(r.triangles.size(), 2u);
    ASSERT_EQ(r.points.size(), 4u);
    EXPECT_EQ(corners(r.triangles[1]), (std::array<int, 3>{1, 3, 2}));
    EXPECT_EQ(r.points[3].number, 3);
    EXPECT_EQ(r.points[3].displayMark, PointMark::Ordinary);
    EXPECT_TRUE(r.points[3].useInSurface);
    // Of two earlier points that both match, the latest is used.
    const SurfaceReadResult twins = readRawTriangleText("0 0 0\n1 0 0\n0 0 0.0015\n0 0 0.0008\n5 5 5\n6 6 6\n");
    ASSERT_EQ(twins.triangles.size(), 2u);
    EXPECT_EQ(twins.triangles[1].vertex[0], 2);
}

TEST(DemoSurface, RipplesOnAFiftyByFiftyGrid) {
    SurfaceReadResult r = makeDemoSurface();
    ASSERT_EQ(r.points.size(), 2500u);
    ASSERT_EQ(r.triangles.size(), 4802u);
    expectCounterClockwise(r);
    EXPECT_EQ(r.points[0].number, 1);
    EXPECT_EQ(r.points[1].number, 51);  // index a + 50 b numbers 50 a + b + 1
    const double before = r.points[1234].elevation;
    animateDemoSurface(r.points, -0.05);
    EXPECT_NE(r.points[1234].elevation, before);
    animateDemoSurface(r.points, 0.0);
    EXPECT_DOUBLE_EQ(r.points[1234].elevation, before);
}

// The in-memory entries the fuzzers use read exactly as the file readers do.
TEST(InMemoryReaders, SmallHgtTileAndRasterBytesReadAsTheirFiles) {
    // 9 x 9 samples, big-endian, one void: every fourth sample each way makes
    // four cells of two triangles, and the void on the north edge takes the
    // three that touch it.
    std::string tile;
    for (int i = 0; i < 81; ++i) tile += i == 4 ? std::string("\x80\x00", 2) : std::string{'\0', static_cast<char>(i)};
    const SurfaceReadResult r = decodeHgtTile(tile, 9);
    ASSERT_EQ(r.points.size(), 81u);
    EXPECT_EQ(r.points[0].northing, 9 * kHgtSpacing);
    EXPECT_EQ(r.points[80].easting, 8 * kHgtSpacing);
    EXPECT_EQ(r.points[80].elevation, 80);
    EXPECT_EQ(r.points[4].elevation, kVoidElevation);
    EXPECT_EQ(r.triangles.size(), 5u);

    const std::string grid =
        "ncols 3\nnrows 2\nxllcorner 100\nyllcorner 200\ncellsize 10\nNODATA_value -9999\n1 2 3\n4 -9999 6\n";
    testing::TempDir dir;
    const SurfaceReadResult fromFile = readElevationRaster(dir.write("grid.asc", grid));
    const SurfaceReadResult fromBytes = readElevationRasterBytes(grid);
    ASSERT_EQ(fromBytes.points.size(), 6u);
    ASSERT_EQ(fromFile.points.size(), 6u);
    testing::expectSamePoints(fromBytes.points, fromFile.points, 6);
    EXPECT_EQ(fromBytes.points[0].easting, 105);
    EXPECT_EQ(fromBytes.points[4].elevation, kVoidElevation);
    EXPECT_EQ(fromBytes.triangles.size(), fromFile.triangles.size());
    EXPECT_EQ(readElevationRasterBytes("not a raster").message, "Unable to Open File!");
}

}  // namespace
}  // namespace vellacor
