#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "import/point_file.h"
#include "model/site_model.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::FakeUi;
using testing::TempDir;

struct Loaded {
    SiteModel model;
    FakeUi ui;
    bool ok = false;
};

std::unique_ptr<Loaded> readPnezd(const std::string& text, PointLayout layout = PointLayout::PNEZD) {
    TempDir dir;
    auto r = std::make_unique<Loaded>();
    r->ok = readPointFile(r->model, r->ui, dir.write("p.txt", text), layout);
    return r;
}

const SurveyPoint& pt(const Loaded& r, int i) { return r.model.points[static_cast<std::size_t>(i)]; }

TEST(PointFile, PnezdColumnsAndSpareRecords) {
    auto r = readPnezd("12,5000,6000,100.5,TREE\n13, 5001.25,  6001.5,0,EP edge\n");
    ASSERT_TRUE(r->ok);
    ASSERT_EQ(r->model.pointCount, 2);
    EXPECT_EQ(r->model.points.size(), 5u);
    EXPECT_EQ(pt(*r, 0).number, 12);
    EXPECT_EQ(pt(*r, 0).northing, 5000);
    EXPECT_EQ(pt(*r, 0).easting, 6000);
    EXPECT_EQ(pt(*r, 0).elevation, 100.5);
    EXPECT_EQ(descriptionOf(pt(*r, 0)), "TREE");
    EXPECT_EQ(pt(*r, 0).useInSurface, 1);
    // The separator is one character; the next number skips the blanks before it.
    EXPECT_EQ(pt(*r, 1).northing, 5001.25);
    EXPECT_EQ(pt(*r, 1).useInSurface, 0);  // elevation 0
    EXPECT_EQ(descriptionOf(pt(*r, 1)), "EP edge");
}

TEST(PointFile, PenzdTakesEastingFirst) {
    auto r = readPnezd("7 6000 5000 12.25 MH\n", PointLayout::PENZD);
    ASSERT_TRUE(r->ok);
    EXPECT_EQ(pt(*r, 0).easting, 6000);
    EXPECT_EQ(pt(*r, 0).northing, 5000);
}

TEST(PointFile, CrLfReadsLikeLfAndBlankLinesAreSkipped) {
    auto lf = readPnezd("1,10,20,30,A\n\n\n2,11,21,31,B\n");
    auto crlf = readPnezd("1,10,20,30,A\r\n\r\n\r\n2,11,21,31,B\r\n");
    ASSERT_EQ(lf->model.pointCount, 2);
    ASSERT_EQ(crlf->model.pointCount, 2);
    EXPECT_EQ(descriptionOf(pt(*crlf, 0)), "A");
    EXPECT_EQ(descriptionOf(pt(*crlf, 1)), "B");
}

TEST(PointFile, HeaderLineGivesNoPoints) {
    auto r = readPnezd("P,N,E,Z,D\n1,10,20,30,A\n");
    EXPECT_FALSE(r->ok);
    EXPECT_EQ(r->model.pointCount, 0);
    EXPECT_TRUE(r->ui.messages.empty());
}

TEST(PointFile, LineEndingAfterElevationSwallowsTheNextLine) {
    auto r = readPnezd("1,10,20,30\n2,11,21,31,B\n3,12,22,32,C\n");
    ASSERT_EQ(r->model.pointCount, 2);
    EXPECT_EQ(descriptionOf(pt(*r, 0)), "2,11,21,31,B");
    EXPECT_EQ(pt(*r, 1).number, 3);
}

TEST(PointFile, LongDescriptionKeepsFiftyAndNextLineStillReads) {
    auto r = readPnezd("1,10,20,30," + std::string(60, 'd') + "\n2,11,21,31,B");
    ASSERT_EQ(r->model.pointCount, 2);
    EXPECT_EQ(descriptionOf(pt(*r, 0)), std::string(50, 'd'));
    EXPECT_EQ(descriptionOf(pt(*r, 1)), "B");  // no final line end
}

TEST(PointFile, BrokenLineStopsBothPassesAtTheSamePlace) {
    const char* broken[] = {"3,nan,22,32,C\n", "3,12,inf,32,C\n", "3,12,22,1e999,C\n", "3,,22,32,C\n",
                            "x\n", "3,12,22,32"};  // the last one is fine: a file may end after the elevation
    for (const char* line : broken) {
        auto r = readPnezd(std::string("1,10,20,30,A\n2,11,21,31,B\n") + line + "4,13,23,33,D\n");
        EXPECT_EQ(r->model.pointCount, std::string(line) == "3,12,22,32" ? 3 : 2) << line;
        for (int i = 0; i < r->model.pointCount; ++i) EXPECT_TRUE(std::isfinite(pt(*r, i).easting));
    }
}

TEST(PointFile, ByteOrderMarkIsSkipped) {
    auto r = readPnezd("\xEF\xBB\xBF" "1,10,20,30,A\n");
    ASSERT_EQ(r->model.pointCount, 1);
    EXPECT_EQ(pt(*r, 0).number, 1);
}

TEST(PointFile, MissingFileSaysSo) {
    SiteModel m;
    FakeUi ui;
    EXPECT_FALSE(readPointFile(m, ui, "/nonexistent/points.txt", PointLayout::PNEZD));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Unable to open point file!");
}

TEST(XyzFile, NumbersInThreesAndElevationZeroIsUsed) {
    TempDir dir;
    SiteModel m;
    FakeUi ui;
    ASSERT_TRUE(readXyzFile(m, ui, dir.write("a.xyz", "100.5 200.25 0\r\n101 201 7.5\n102,202,8")));
    ASSERT_EQ(m.pointCount, 3);
    EXPECT_EQ(m.points[0].number, 0);
    EXPECT_EQ(m.points[2].number, 2);
    EXPECT_EQ(m.points[0].easting, 100.5);
    EXPECT_EQ(m.points[0].northing, 200.25);
    EXPECT_EQ(m.points[0].useInSurface, 1);
    EXPECT_EQ(m.points[2].elevation, 8);
}

std::string writeToString(const SiteModel& m) {
    TempDir dir;
    const std::string path = dir.path("out.txt");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(writePointFile(f, m));
    std::fclose(f);
    return testing::readFile(path);
}

TEST(PointWriter, ExactLinesInBothOrdersUnaffectedByLocale) {
    SiteModel m;
    m.points.resize(2);
    m.pointCount = 2;
    m.points[0].number = 12;
    m.points[0].northing = 5000;
    m.points[0].easting = 6000;
    m.points[0].elevation = 100.5;
    setDescription(m.points[0], "TREE");
    m.points[1].number = -3;
    m.points[1].northing = 0.0000004;
    m.points[1].easting = -1.5;
    m.points[1].elevation = 0.0005;
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "de_DE.UTF-8 missing: run scripts/bootstrap.sh";
    m.pointFileFormat = "PNEZD";
    EXPECT_EQ(writeToString(m), "12,5000.000000,6000.000000,100.500,TREE\r\n-3,0.000000,-1.500000,0.001,\r\n");
    m.pointFileFormat = "PENZD";
    EXPECT_EQ(writeToString(m), "12,6000.000000,5000.000000,100.500,TREE\r\n-3,-1.500000,0.000000,0.001,\r\n");
    std::setlocale(LC_NUMERIC, "C");
}

TEST(PointWriter, RoundTripReadsBackTheSamePoints) {
    auto first = readPnezd("5,1000.123456,2000.654321,99.125,CURB, with comma\n6,1001,2001,0,\n");
    ASSERT_EQ(first->model.pointCount, 2);
    first->model.pointFileFormat = "PNEZD";
    const std::string text = writeToString(first->model);
    auto again = readPnezd(text);
    ASSERT_EQ(again->model.pointCount, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(pt(*again, i).number, pt(*first, i).number);
        EXPECT_EQ(pt(*again, i).northing, pt(*first, i).northing);
        EXPECT_EQ(pt(*again, i).easting, pt(*first, i).easting);
        EXPECT_EQ(pt(*again, i).elevation, pt(*first, i).elevation);
        EXPECT_EQ(descriptionOf(pt(*again, i)), descriptionOf(pt(*first, i)));
    }
}

TEST(PointFile, RealSurveyFilesFromOtherTools) {
    const std::string topo = testing::sharedData("points/topo0.asc");
    const std::string field = testing::sharedData("points/Topografico_completo.txt");
    if (topo.empty() || field.empty()) GTEST_SKIP() << "shared data folder not present";
    SiteModel m;
    FakeUi ui;
    ASSERT_TRUE(readPointFile(m, ui, topo, PointLayout::PNEZD));
    EXPECT_EQ(m.pointCount, 1311);
    for (int i = 0; i < m.pointCount; ++i) {
        EXPECT_GE(m.points[i].northing, 538402 - 1);
        EXPECT_LE(m.points[i].northing, 539260 + 1);
        ASSERT_EQ(descriptionOf(m.points[i]).find('\r'), std::string_view::npos);
    }
    SiteModel f;
    ASSERT_TRUE(readPointFile(f, ui, field, PointLayout::PENZD));
    EXPECT_EQ(f.pointCount, 956);
    EXPECT_GT(f.points[0].easting, 300000);
    EXPECT_GT(f.points[0].northing, 4000000);
}

}  // namespace
}  // namespace vellacor
