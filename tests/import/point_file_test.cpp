#include <gtest/gtest.h>

#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "import/point_file.h"
#include "model/site_document.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::TempDir;

struct Loaded {
    SiteDocument document;
    bool ok = false;
};

std::unique_ptr<Loaded> readPnezd(const std::string& text, PointLayout layout = PointLayout::PNEZD) {
    TempDir dir;
    auto r = std::make_unique<Loaded>();
    r->ok = readPointFile(r->document, dir.write("p.txt", text), layout).pointsRead;
    return r;
}

const SurveyPoint& pt(const Loaded& r, int i) { return r.document.points[static_cast<std::size_t>(i)]; }

TEST(PointFile, PnezdColumnsAndSpareRecords) {
    auto r = readPnezd("12,5000,6000,100.5,TREE\n13, 5001.25,  6001.5,0,EP edge\n");
    ASSERT_TRUE(r->ok);
    ASSERT_EQ(r->document.pointCount, 2);
    EXPECT_EQ(r->document.points.size(), 5u);
    EXPECT_EQ(pt(*r, 0).number, 12);
    EXPECT_EQ(pt(*r, 0).northing, 5000);
    EXPECT_EQ(pt(*r, 0).easting, 6000);
    EXPECT_EQ(pt(*r, 0).elevation, 100.5);
    EXPECT_EQ(descriptionOf(pt(*r, 0)), "TREE");
    EXPECT_TRUE(pt(*r, 0).useInSurface);
    // The separator is one character; the next number skips the blanks before it.
    EXPECT_EQ(pt(*r, 1).northing, 5001.25);
    EXPECT_FALSE(pt(*r, 1).useInSurface);  // elevation 0
    EXPECT_EQ(descriptionOf(pt(*r, 1)), "EP edge");
    // PENZD takes the easting first; a byte order mark is skipped.
    auto penzd = readPnezd("\xEF\xBB\xBF" "7 6000 5000 12.25 MH\n", PointLayout::PENZD);
    ASSERT_TRUE(penzd->ok);
    EXPECT_EQ(pt(*penzd, 0).number, 7);
    EXPECT_EQ(pt(*penzd, 0).easting, 6000);
    EXPECT_EQ(pt(*penzd, 0).northing, 5000);
}

TEST(PointFile, CrLfReadsLikeLfAndBlankLinesAreSkipped) {
    // CR LF reads like LF, blank lines are skipped, a line may end at its
    // elevation, and the last line needs no line end.
    for (const std::string eol : {"\n", "\r\n"}) {
        auto r = readPnezd("1,10,20,30,A" + eol + eol + eol + "2,11,21,31" + eol + "3,12,22,32," + std::string(61, 'd') +
                           eol + "4,13,23,33");
        ASSERT_EQ(r->document.pointCount, 4) << eol.size();
        for (int i = 0; i < 4; ++i) EXPECT_EQ(pt(*r, i).number, i + 1);
        EXPECT_EQ(descriptionOf(pt(*r, 0)), "A");
        EXPECT_EQ(descriptionOf(pt(*r, 1)), "");
        EXPECT_EQ(descriptionOf(pt(*r, 2)), std::string(50, 'd'));  // sixty-one cut to fifty
        EXPECT_EQ(pt(*r, 3).elevation, 33.0);
    }
}

// The readers over bytes in memory: no file, no model.
std::string numbered(int lines, int badLine, const std::string& bad) {
    std::string text;
    for (int i = 1; i <= lines; ++i)
        text += i == badLine ? bad + "\r\n" : std::to_string(i) + "," + std::to_string(5000 + i) + ",6000,100,A\r\n";
    return text;
}

TEST(PointText, AnUnreadableLineIsSkippedCountedAndReadOn) {
    // A line that does not read is counted and reported; the points after it are read.
    const PointReadResult na = readPointText(numbered(1000, 10, "N/A,N/A,N/A,N/A,N/A"), PointLayout::PNEZD);
    EXPECT_EQ(na.pointCount, 999);
    EXPECT_EQ(na.points.size(), 1002u);
    EXPECT_EQ(na.points[9].number, 11);
    EXPECT_EQ(na.skipped.count, 1);
    EXPECT_EQ(na.skipped.firstLine, 10);
    EXPECT_EQ(na.skipped.firstText, "N/A,N/A,N/A,N/A,N/A");

    for (const char* bad : {"3,nan,22,32,C", "3,12,inf,32,C", "3,12,22,1e999,C", "3,,22,32,C", "3,N/A,22,32,C", "x",
                            "3,1e308,22,32,C", "3,12,-1e11,32,C", "3,12,22,1e308,C", "99999999999,12,22,32,C"}) {
        const PointReadResult r = readPointText(numbered(5, 3, bad), PointLayout::PENZD);
        EXPECT_EQ(r.pointCount, 4) << bad;
        EXPECT_EQ(r.skipped.count, 1) << bad;
        EXPECT_EQ(r.skipped.firstLine, 3) << bad;
        EXPECT_EQ(r.skipped.firstText, bad);
        for (std::size_t i = 0; i < static_cast<std::size_t>(r.pointCount); ++i) EXPECT_NE(r.points[i].number, 3) << bad;
    }
}

TEST(PointText, HeaderIsPassedOverQuietlyAndLaterBadLinesAreCounted) {
    const PointReadResult r = readPointText(
        "\xEF\xBB\xBFPoint,Northing,Easting,Elevation,Desc\n1,10,20,30,A\n\n,,,,\n2,11,21,31,B\nP,N,E,Z,D\n"
        "3,12,22,32,C\n  \t\r\n\n\r\n",
        PointLayout::PNEZD);
    EXPECT_EQ(r.pointCount, 3);
    EXPECT_EQ(r.skipped.count, 2);  // a header further down is just a bad line; blank lines at the end are nothing
    EXPECT_EQ(r.skipped.firstLine, 4);
    EXPECT_EQ(r.skipped.firstText, ",,,,");
    // A first line that starts with a number is a point that did not read, not a header.
    EXPECT_EQ(readPointText("1,N/A,20,30\n2,11,21,31,B\n", PointLayout::PNEZD).skipped.count, 1);
    // Nothing readable at all: no points, no records.
    const PointReadResult none = readPointText("P,N,E,Z,D\nN/A\n", PointLayout::PNEZD);
    EXPECT_EQ(none.pointCount, 0);
    EXPECT_TRUE(none.points.empty());
    EXPECT_EQ(none.skipped.count, 1);
}

TEST(PointText, QuotedLineIsCutWithoutSplittingACharacter) {
    const std::string longLine = "7," + std::string(57, 'x') + "\xC3\xA9" + std::string(30, 'y');
    const PointReadResult r = readPointText("1,10,20,30,A\n" + longLine + "\n", PointLayout::PNEZD);
    EXPECT_EQ(r.skipped.firstText, "7," + std::string(57, 'x') + "...");
    EXPECT_EQ(skippedLinesMessage(r.skipped),
              "Skipped 1 line that could not be read as a point.\n\nLine 2:\n" + r.skipped.firstText);
    SkippedLines three{3, 10, "N/A"};
    EXPECT_EQ(skippedLinesMessage(three), "Skipped 3 lines that could not be read as points.\n\nThe first, line 10:\nN/A");
}

TEST(PointText, ALoneCrEndingTheFileIsNoPartOfTheDescription) {
    const PointReadResult r = readPointText("1,10,20,30,A\r\n2,11,21,31,B\r", PointLayout::PNEZD);
    ASSERT_EQ(r.pointCount, 2);
    EXPECT_EQ(descriptionOf(r.points[1]), "B");
    // A CR inside a description is text.
    EXPECT_EQ(descriptionOf(readPointText("1,10,20,30,A\rB\n", PointLayout::PNEZD).points[0]), "A\rB");
}

TEST(XyzText, BadTriplesAreSkippedAndCounted) {
    const PointReadResult r = readXyzText("X Y Z\n1 2 3\n4 nan 6\n7 8 9\n1e300 1 1\n");
    ASSERT_EQ(r.pointCount, 2);
    EXPECT_EQ(r.points.size(), 2u);  // no spare records
    EXPECT_EQ(r.points[1].number, 1);
    EXPECT_EQ(r.points[1].easting, 7);
    EXPECT_EQ(r.skipped.count, 2);
    EXPECT_EQ(r.skipped.firstLine, 3);
}

// The array is sized by the lines; lines holding several points still give every point, in order.
TEST(XyzText, LinesOfSeveralPointsGiveThemAll) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += std::to_string(3 * i) + " 0 1 " + std::to_string(3 * i + 1) + " 0 1 " + std::to_string(3 * i + 2) + " 0 1\n";
    const PointReadResult r = readXyzText(text);
    ASSERT_EQ(r.pointCount, 300);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(r.points[static_cast<std::size_t>(i)].number, i);
        EXPECT_EQ(r.points[static_cast<std::size_t>(i)].easting, i);
    }
}

TEST(PointFile, ReadsFromAPipeAndSaysWhenThereIsNoFile) {
    TempDir dir;
    const std::string fifo = dir.path("points.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        std::FILE* f = std::fopen(fifo.c_str(), "wb");
        std::fputs("1,10,20,30,A\n2,11,21,31,B\n", f);
        std::fclose(f);
    });
    const std::optional<PointReadResult> r = readPointFile(fifo, PointLayout::PNEZD);
    writer.join();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->pointCount, 2);

    SiteDocument m;
    const PointFileLoad load = readPointFile(m, "/nonexistent/points.txt", PointLayout::PNEZD);
    EXPECT_FALSE(load.pointsRead);
    EXPECT_EQ(load.diagnostics.messages, std::vector<std::string>{"Unable to open point file!"});
}

TEST(XyzFile, NumbersInThreesAndElevationZeroIsUsed) {
    TempDir dir;
    SiteDocument m;
    ASSERT_TRUE(readXyzFile(m, dir.write("a.xyz", "100.5 200.25 0\r\n101 201 7.5\n102,202,8")).pointsRead);
    ASSERT_EQ(m.pointCount, 3);
    EXPECT_EQ(m.points[0].number, 0);
    EXPECT_EQ(m.points[2].number, 2);
    EXPECT_EQ(m.points[0].easting, 100.5);
    EXPECT_EQ(m.points[0].northing, 200.25);
    EXPECT_TRUE(m.points[0].useInSurface);
    EXPECT_EQ(m.points[2].elevation, 8);
}

TEST(PointFile, RealSurveyFilesFromOtherTools) {
    const std::string topo = testing::sharedData("points/topo0.asc");
    const std::string field = testing::sharedData("points/Topografico_completo.txt");
    if (topo.empty() || field.empty()) GTEST_SKIP() << "shared data folder not present";
    SiteDocument m;
    ASSERT_TRUE(readPointFile(m, topo, PointLayout::PNEZD).pointsRead);
    EXPECT_EQ(m.pointCount, 1311);
    for (std::size_t i = 0; i < static_cast<std::size_t>(m.pointCount); ++i) {
        EXPECT_GE(m.points[i].northing, 538402 - 1);
        EXPECT_LE(m.points[i].northing, 539260 + 1);
        ASSERT_EQ(descriptionOf(m.points[i]).find('\r'), std::string_view::npos);
    }
    SiteDocument f;
    ASSERT_TRUE(readPointFile(f, field, PointLayout::PENZD).pointsRead);
    EXPECT_EQ(f.pointCount, 956);
    EXPECT_GT(f.points[0].easting, 300000);
    EXPECT_GT(f.points[0].northing, 4000000);
    EXPECT_EQ(f.skippedLines.count, 0);

    const std::string broken = testing::sharedData("points/01_Topografico_con_errores_parser.txt");
    if (broken.empty()) return;
    const std::optional<PointReadResult> b = readPointFile(broken, PointLayout::PENZD);
    ASSERT_TRUE(b);
    // "1.1" reads as point 1 with a shifted line, and the line without a
    // description is a point of its own: 35 lines, 35 points.
    EXPECT_EQ(b->pointCount, 35);
    EXPECT_EQ(b->points[2].number, 3);
    EXPECT_EQ(b->points[3].number, 4);
    EXPECT_EQ(b->skipped.count, 0);
}

// A text long enough to be read on both cores: `lines` points, line i
// holding point i + 1 as written by `line`.
std::string longText(int lines, const std::function<std::string(int)>& line) {
    std::string text;
    for (int i = 0; i < lines; ++i) text += line(i);
    return text;
}

// A number's leading line ends are skipped, so a record broken after a
// separator runs on into the next line: whichever way such records fall
// about the middle, the points are those one pass through the file finds.
TEST(PointFile, ARecordRunningOverTheMiddleIsReadOnce) {
    // Lines of 13 bytes: with 81000 of them the line after the middle is the
    // second of a record; with 81002 it starts one.
    auto padded = [](int n) {
        std::string number = std::to_string(n);
        return std::string(5 - number.size(), '0') + number;
    };
    for (const int lines : {81000, 81002}) {
        const PointReadResult r = readPointText(longText(lines, [&](int i) {
                                                    return i % 2 == 0 ? padded(i + 1) + ",10,20,\n" : std::string("30,ABCDEFGHI\n");
                                                }),
                                                PointLayout::PNEZD);
        ASSERT_EQ(r.pointCount, lines / 2) << lines;
        for (int k = 0; k < r.pointCount; ++k) {
            const SurveyPoint& p = r.points[static_cast<std::size_t>(k)];
            ASSERT_EQ(p.number, 2 * k + 1) << lines;
            ASSERT_EQ(p.elevation, 30.0) << lines;
            ASSERT_EQ(descriptionOf(p), "ABCDEFGHI") << lines;
        }
        EXPECT_EQ(r.skipped.count, 0);
    }
}

// Equal-length lines on both sides of `middle`, so that the halves meet in
// it, shifted by `shift` lines to move the meeting about within it.
std::string aboutTheMiddle(const std::string& middle, int shift, const std::function<std::string(int)>& line) {
    constexpr int kSide = 20000;
    std::string text;
    for (int i = 0; i < kSide + shift; ++i) text += line(i);
    text += middle;
    for (int i = kSide + shift; i < 2 * kSide; ++i) text += line(i + 1000);
    return text;
}

// Every field of every record, the doubles bit for bit, and the message.
void expectSameRead(const PointReadResult& two, const PointReadResult& one) {
    ASSERT_EQ(two.points.size(), one.points.size());
    auto same = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (std::size_t i = 0; i < one.points.size(); ++i) {
        const SurveyPoint &a = two.points[i], &b = one.points[i];
        ASSERT_TRUE(same(a.number, b.number) && same(a.useInSurface, b.useInSurface) && same(a.northing, b.northing) &&
                    same(a.easting, b.easting) && same(a.elevation, b.elevation) && same(a.displayMark, b.displayMark) &&
                    descriptionOf(a) == descriptionOf(b)) << i;
    }
    EXPECT_EQ(two.skipped.count, one.skipped.count);
    EXPECT_EQ(skippedLinesMessage(two.skipped), skippedLinesMessage(one.skipped));
}

// Blank lines, comments, a blunder, refused and broken lines, a record that
// runs over a line end and (for XYZ) a line of two points, lying where the
// halves meet: a long text read on two cores gives what one core gives, to
// the byte, and the line numbers of the message are the file's.
TEST(PointFile, BothCoresReadWhatOneCoreReads) {
    const std::string pnezdMiddle =
        "\n\n# survey of the north yard\n9001,5000.5,6000.25,99999.5,BLUNDER\n9002,1e11,6000,100,FAR\n"
        "9003,5001,\r\n6001,101,RUNS ON\n \t\n9004,nan,6002,102,NAN\nP,N,E,Z,D\n9005,5002,6003,103\n"
        "9006,5003,6004,104,\xC3\xA9" "\n";
    const std::string xyzMiddle = "\n\n# survey of the north yard\n6000.5 5000.25 99999.5\n1e11 5000 100\n6001,\r\n5001,101\n"
                                  " \t\nnan 5002 102\nX Y Z\n-0.0 +5 .5\n";
    const std::string twoPointLine = "6002 5003 103 6003 5004 104\n";
    for (int shift = -3; shift <= 3; ++shift) {
        const std::string pnezd = aboutTheMiddle(pnezdMiddle, shift, [](int i) {
            return std::to_string(100000 + i) + "," + std::to_string(500000 + i % 977) + ".125," + std::to_string(200000 + i % 331) +
                   ".5,1" + std::to_string(i % 10) + ".25,TOPO" + std::string(static_cast<std::size_t>(i % 7), '+') + "\r\n";
        });
        const PointReadResult two = readPointText(pnezd, PointLayout::PENZD);
        expectSameRead(two, readPointTextOnOneCore(pnezd, PointLayout::PENZD));
        // The blunder is a point; the comment, the far point, nan and the header are not.
        EXPECT_EQ(two.pointCount, 40000 + 4);
        EXPECT_EQ(two.skipped.firstLine, 20000 + shift + 3);
        for (const std::string& middle : {xyzMiddle, xyzMiddle + twoPointLine}) {
            const std::string xyz = aboutTheMiddle(middle, shift, [](int i) {
                return std::to_string(200000 + i % 331) + ".5000 " + std::to_string(500000 + i % 977) + ".1250 1" +
                       std::to_string(i % 10) + ".250\n";
            });
            ASSERT_GT(xyz.size(), std::size_t{1} << 20);  // long enough for two cores
            const PointReadResult xyzTwo = readXyzText(xyz);
            expectSameRead(xyzTwo, readXyzTextOnOneCore(xyz));
            ASSERT_EQ(xyzTwo.pointCount, 40000 + (middle == xyzMiddle ? 3 : 5));
            for (int i = 0; i < xyzTwo.pointCount; ++i) ASSERT_EQ(xyzTwo.points[static_cast<std::size_t>(i)].number, i);
            EXPECT_EQ(xyzTwo.skipped.firstLine, 20000 + shift + 3);
        }
    }
}

}  // namespace
}  // namespace vellacor
