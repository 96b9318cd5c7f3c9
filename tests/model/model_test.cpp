// The site document's own rules (elevations, extents, point numbers and
// descriptions), the background job the stages run on, and the replacement
// that saves a file only when the whole of it is written.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "model/background_job.h"
#include "model/file_replacement.h"
#include "model/point_thinning.h"
#include "model/site_document.h"
#include "model/utf8_text.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

void addPoint(SiteDocument& m, int number, double e, double n, double z) {
    SurveyPoint p;
    p.number = number;
    p.easting = e;
    p.northing = n;
    p.elevation = z;
    m.points.push_back(p);
    m.pointCount = static_cast<int>(m.points.size());
}

// One point a square, the lowest (the first of equals), in file order; the
// squares are counted from the lowest corner, so a point on a square's far
// edge starts the next one.
TEST(PointThinning, KeepsEachSquaresLowestPointInFileOrder) {
    SiteDocument d;
    addPoint(d, 1, 0.0, 0.0, 5.0);
    addPoint(d, 2, 1.9, 1.9, 3.0);   // the lowest of square (0, 0)
    addPoint(d, 3, 2.0, 0.0, 7.0);   // square (1, 0), alone
    addPoint(d, 4, 0.5, 1.0, 3.0);   // as low as point 2 but later
    addPoint(d, 5, 5.0, 5.0, 1.0);   // square (2, 2)
    addPoint(d, 6, 4.1, 5.9, 1.0);   // the same square, later
    addPoint(d, 7, 0.0, 2.0, 9.0);   // square (0, 1)
    const ThinningResult thinned = thinToLowestPerCell(d, 2.0);
    EXPECT_EQ(thinned.before, 7);
    EXPECT_EQ(thinned.kept, 4);
    ASSERT_EQ(d.pointCount, 4);
    std::vector<int> numbers;
    for (int i = 0; i < d.pointCount; ++i) numbers.push_back(d.points[static_cast<std::size_t>(i)].number);
    EXPECT_EQ(numbers, (std::vector<int>{2, 3, 5, 7}));

    // A cell that is no size keeps everything.
    for (const double cell : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(thinToLowestPerCell(d, cell).kept, 4);
    // Squares too many to tell apart would merge far points: none is lost.
    SiteDocument far;
    addPoint(far, 1, -1e12, 0.0, 1.0);
    addPoint(far, 2, 1e12, 1e12, 2.0);
    addPoint(far, 3, 1e12 - 1.0, 1e12, 0.5);
    EXPECT_EQ(thinToLowestPerCell(far, 1e-3).kept, 3);
}

TEST(Elevation, ZeroAndPlaceholdersAreNoElevation) {
    for (const double z : {0.0, -99999.0, 0.0009, 99998.5}) EXPECT_FALSE(isValidElevation(z)) << z;
    for (const double z : {0.001, -0.001, 99998.0}) EXPECT_TRUE(isValidElevation(z)) << z;
}

TEST(Extents, RunningLimitsAndSizeRule) {
    SiteDocument one;  // one point: no plan size
    addPoint(one, 1, 100, 200, 50);
    computeExtents(one);
    EXPECT_DOUBLE_EQ(one.minElevation, 50);
    EXPECT_DOUBLE_EQ(one.maxElevation, 50);
    EXPECT_DOUBLE_EQ(one.siteSize, 0);
    EXPECT_DOUBLE_EQ(one.siteCentre.x, 100);
    EXPECT_DOUBLE_EQ(one.siteCentre.y, 200);
    EXPECT_DOUBLE_EQ(one.siteCentre.z, 50);

    SiteDocument m;
    addPoint(m, 1, 0, 0, 10000);
    addPoint(m, 2, 30, 10, 10050);
    addPoint(m, 3, 10, 40, 0);  // no elevation: ignored for z
    computeExtents(m);
    EXPECT_DOUBLE_EQ(m.minElevation, 9999.0);  // every elevation above the start limit
    EXPECT_DOUBLE_EQ(m.maxElevation, 10050);
    EXPECT_DOUBLE_EQ(m.siteSize, 51);  // dZ strictly larger than dN = 40
    EXPECT_DOUBLE_EQ(m.siteCentre.x, 15);
    EXPECT_DOUBLE_EQ(m.siteCentre.y, 20);

    SiteDocument unset;  // no valid elevation: the centre stays at zero
    addPoint(unset, 1, 0, 0, 0);
    addPoint(unset, 2, 10, 5, 0);
    computeExtents(unset);
    EXPECT_DOUBLE_EQ(unset.minElevation, 9999.0);
    EXPECT_DOUBLE_EQ(unset.maxElevation, -9999.0);
    EXPECT_DOUBLE_EQ(unset.siteCentre.z, 0);
    EXPECT_DOUBLE_EQ(unset.siteSize, 10);
}

// Rounds up to the next hundred toward zero, within the integer range at both ends.
TEST(NextPointNumber, RoundsUpToNextHundredWithinTheIntegerRange) {
    const std::pair<int, int> cases[] = {{1234, 1300},         {99, 100},        {100, 200},
                                         {0, 100},             {-50, 100},       {-150, 0},
                                         {INT32_MAX, INT32_MAX}, {2147483600, INT32_MAX}, {2147483599, 2147483600},
                                         {INT32_MIN, -2147483500}};
    for (auto [largest, expected] : cases) {
        SiteDocument m;
        addPoint(m, -2000, 0, 0, 1);
        addPoint(m, largest, 0, 0, 1);
        computeNextPointNumber(m);
        EXPECT_EQ(m.nextPointNumber, largest == INT32_MIN ? -1900 : expected) << largest;  // the largest of the two
        EXPECT_EQ(nextPointNumberAfter(&m.points[1], 1), expected) << largest;
    }
    EXPECT_EQ(nextPointNumberAfter(nullptr, 0), 100);
}

TEST(Description, CutAtFiftyBytesWithoutSplittingACharacterOfUtf8) {
    const std::string a48(48, 'a'), a49(49, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {std::string(60, 'x'), std::string(50, 'x')},
        {a49 + "\xC3\xA9" + "zz", a49},                     // a two-byte character straddling the limit
        {a48 + "\xC3\xA9" + "zz", a48 + "\xC3\xA9"},
        {a48 + "\xF0\x9F\x98\x80", a48},                   // a four-byte character split after two
        {std::string(60, '\xB1'), std::string(50, '\xB1')},  // not UTF-8 (Latin-1 plus-minus): fifty bytes
        {a49 + "\xE2" + "bc", a49 + "\xE2"},                // a lead byte whose next bytes are no UTF-8
        {a48 + "\xC3\xA9\xA9\xA9", a48 + "\xC3\xA9"},      // stray continuation bytes after a whole character
    };
    SurveyPoint p;
    for (const auto& [given, kept] : cases) {
        setDescription(p, given);
        EXPECT_EQ(descriptionOf(p), kept) << given;
    }
}

// Bytes that are not UTF-8 are read as Windows-1252; UTF-8 stays as it is,
// so that text already turned is never turned again.
TEST(Description, BytesOutsideUtf8BecomeTheirWindows1252Characters) {
    const std::pair<std::string, std::string> cases[] = {
        {"PK NAIL", "PK NAIL"},
        {"10\xB0 \xB1" "5", "10\xC2\xB0 \xC2\xB1" "5"},                      // degree, plus-minus: as Latin-1
        {"\x80 \x93q\x94 \x96 \x9F", "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x93 \xC5\xB8"},  // euro, quotes, dash, Y diaeresis
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},  // unassigned: their own numbers
        {"B\xC3\xA4ume \xF0\x9F\x98\x80", "B\xC3\xA4ume \xF0\x9F\x98\x80"},   // UTF-8 already
        {"\xC3" "A \xED\xA0\x80", "\xC3\x83" "A \xC3\xAD\xC2\xA0\xE2\x82\xAC"},  // a cut sequence, a surrogate
    };
    for (const auto& [given, utf8] : cases) {
        EXPECT_EQ(utf8FromWindows1252(given), utf8) << given;
        EXPECT_EQ(utf8FromWindows1252(utf8), utf8) << given;
    }
}

TEST(BackgroundJob, AFinishedRunIsAdoptedOnceWithItsResultAndProgress) {
    std::atomic<double> progress{0.0};
    BackgroundJob<int> job;
    EXPECT_FALSE(job.adopt());  // nothing started
    job.start(progress, [](int& result, const JobControl& control) {
        result = 42;
        return control.carryOn(0.5);
    });
    job.wait();
    auto outcome = job.adopt();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->result, 42);
    EXPECT_TRUE(outcome->complete);
    EXPECT_DOUBLE_EQ(progress.load(), 0.5);
    EXPECT_FALSE(job.active());
    EXPECT_FALSE(job.adopt());
}

// A worker that would run for ever stops when asked, and what it leaves is
// marked incomplete even if it claims otherwise.
TEST(BackgroundJob, CancellingStopsAWorkerThatWouldNotEndByItself) {
    std::atomic<double> progress{0.0};
    BackgroundJob<int> job;
    std::atomic<bool> started{false};
    job.start(progress, [&](int& result, const JobControl& control) {
        started = true;
        while (!control.cancelled()) std::this_thread::sleep_for(std::chrono::microseconds(50));
        result = 1;
        return true;
    });
    while (!started) std::this_thread::sleep_for(std::chrono::microseconds(50));
    EXPECT_FALSE(job.finished());
    job.requestCancel();
    job.wait();
    auto outcome = job.adopt();
    ASSERT_TRUE(outcome);
    EXPECT_FALSE(outcome->complete);

    // Starting again replaces a run still going.
    job.start(progress, [](int&, const JobControl& control) {
        while (!control.cancelled()) std::this_thread::sleep_for(std::chrono::microseconds(50));
        return false;
    });
    job.start(progress, [](int& result, const JobControl&) {
        result = 7;
        return true;
    });
    job.wait();
    EXPECT_EQ(job.adopt()->result, 7);
}

TEST(BackgroundJob, AnAllocationFailureInTheWorkerIsReportedNotThrown) {
    std::atomic<double> progress{0.0};
    BackgroundJob<int> job;
    job.start(progress, [](int&, const JobControl&) -> bool { throw std::bad_alloc(); });
    job.wait();
    auto outcome = job.adopt();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->outOfMemory);
    EXPECT_FALSE(outcome->complete);
}

using testing::readFile;
using testing::TempDir;

std::size_t filesIn(const std::string& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

unsigned modeOf(const std::string& path) {
    struct stat s {};
    ::stat(path.c_str(), &s);
    return s.st_mode & 07777;
}

TEST(FileReplacement, TakesTheTargetsPlaceOnlyWhenCommitted) {
    TempDir dir;
    const std::string target = dir.write("site.txt", "old");
    ::chmod(target.c_str(), 0640);
    {
        FileReplacement dropped(target);
        ASSERT_NE(dropped.file(), nullptr);
        std::fputs("half", dropped.file());
        std::fflush(dropped.file());
        EXPECT_EQ(readFile(target), "old");
    }
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(filesIn(dir.path("")), 1u);

    FileReplacement kept(target);
    std::fputs("new", kept.file());
    ASSERT_TRUE(kept.commit());
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(modeOf(target), 0640u);
    EXPECT_EQ(filesIn(dir.path("")), 1u);

    // Through a link the file it names is replaced and the link stays.
    const std::string link = dir.path("link.txt");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    FileReplacement viaLink(link);
    std::fputs("linked", viaLink.file());
    ASSERT_TRUE(viaLink.commit());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(target), "linked");
}

TEST(FileReplacement, RefusesWhatCouldNotBeOpenedAndWritesDevicesInPlace) {
    TempDir dir;
    EXPECT_EQ(FileReplacement(dir.path("no-folder/x.txt")).file(), nullptr);
    if (::geteuid() != 0) {  // root may write a read-only file anyway
        const std::string locked = dir.write("locked.txt", "old");
        ::chmod(locked.c_str(), 0444);
        EXPECT_EQ(FileReplacement(locked).file(), nullptr);
    }
    FileReplacement device("/dev/null");
    ASSERT_NE(device.file(), nullptr);
    std::fputs("x", device.file());
    EXPECT_TRUE(device.commit());
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace vellacor
