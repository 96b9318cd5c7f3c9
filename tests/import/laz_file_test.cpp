// LAZ point clouds: files other programs compressed give exactly the points
// of their uncompressed twins, and damaged files keep their whole chunks and
// say what was lost.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "import/las_file.h"
#include "import/las_vlrs.h"
#include "import/laz_file.h"
#include "support/json_value.h"
#include "support/las_bytes.h"
#include "support/temp_files.h"

namespace vellacor::testing {
namespace {

namespace fs = std::filesystem;

const fs::path& kShared = kSharedLas;
const fs::path& kFixtures = kLazFixtures;

std::string readAll(const fs::path& path) { return readFile(path.string()); }

// Every point of every class, withheld ones too.
LasReadResult readEverything(const std::string& bytes, LasClassTally* tally = nullptr) {
    return readLasBytes(bytes, [&](const LasClassTally& t) {
        if (tally) *tally = t;
        LasClassAnswer answer;
        answer.classes.fill(true);
        answer.keepWithheld = true;
        return answer;
    });
}

void expectSamePoints(const LasReadResult& laz, const LasReadResult& las, const std::string& name) {
    ASSERT_EQ(laz.read.pointCount, las.read.pointCount) << name;
    for (int i = 0; i < las.read.pointCount; ++i) {
        const SurveyPoint &a = laz.read.points[static_cast<std::size_t>(i)], &b = las.read.points[static_cast<std::size_t>(i)];
        ASSERT_TRUE(a.number == b.number && a.easting == b.easting && a.northing == b.northing &&
                    a.elevation == b.elevation && descriptionOf(a) == descriptionOf(b))
            << name << ": point " << i;
    }
}

TEST(LazFile, RealFilesGiveTheirTwinsPointsAndAgreeWithWhatOtherToolsWorkedOut) {
    if (!fs::exists(kShared / "EXPECTED.json")) GTEST_SKIP() << "no shared data folder beside the project";
    const JsonValue expected = parseJson(readAll(kShared / "EXPECTED.json"));
    int lazFiles = 0;
    for (const auto& [name, want] : expected.members) {
        SCOPED_TRACE(name);
        const std::string bytes = readAll(kShared / name);
        LasClassTally tally;
        const LasReadResult read = readEverything(bytes, &tally);
        ASSERT_EQ(read.read.pointCount, static_cast<int>(want["points"].number)) << read.diagnostics.messages.size();
        for (const auto& [code, count] : want["classes"].members)
            EXPECT_EQ(tally.counts[static_cast<std::size_t>(std::stoi(code))] +
                          tally.withheld[static_cast<std::size_t>(std::stoi(code))],
                      static_cast<std::uint64_t>(count.number));
        std::uint64_t withheld = 0;
        for (const std::uint64_t n : tally.withheld) withheld += n;
        EXPECT_EQ(withheld, static_cast<std::uint64_t>(want["withheld"].number));
        double sum[3] = {0, 0, 0}, low[3] = {1e300, 1e300, 1e300}, high[3] = {-1e300, -1e300, -1e300};
        for (int i = 0; i < read.read.pointCount; ++i) {
            const SurveyPoint& p = read.read.points[static_cast<std::size_t>(i)];
            const double at[3] = {p.easting, p.northing, p.elevation};
            for (int k = 0; k < 3; ++k) {
                sum[k] += at[k];
                low[k] = std::min(low[k], at[k]);
                high[k] = std::max(high[k], at[k]);
            }
        }
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_NEAR(sum[k], want["sum"][k].number, std::abs(want["sum"][k].number) * 1e-12 + 1e-6);
            EXPECT_DOUBLE_EQ(low[k], want["min"][k].number);
            EXPECT_DOUBLE_EQ(high[k], want["max"][k].number);
        }
        const std::size_t n = static_cast<std::size_t>(read.read.pointCount);
        for (std::size_t i = 0; i < 3; ++i) {
            const SurveyPoint &first = read.read.points[i], &last = read.read.points[n - 3 + i];
            EXPECT_DOUBLE_EQ(first.easting, want["first3"][i][0].number);
            EXPECT_DOUBLE_EQ(first.northing, want["first3"][i][1].number);
            EXPECT_DOUBLE_EQ(first.elevation, want["first3"][i][2].number);
            EXPECT_DOUBLE_EQ(last.easting, want["last3"][i][0].number);
            EXPECT_DOUBLE_EQ(last.elevation, want["last3"][i][2].number);
        }
        if (name.ends_with(".laz")) {
            ++lazFiles;
            const fs::path twin = kShared / (name.substr(0, name.size() - 1) + "s");
            if (fs::exists(twin)) expectSamePoints(read, readEverything(readAll(twin)), name);
        }
    }
    EXPECT_GE(lazFiles, 8);
}

TEST(LazFile, ChunkedFilesOfBothCompressorsGiveEveryRecordOfTheirTwins) {
    const std::pair<const char*, const char*> files[] = {{"laz-chunked-format1", "laz-chunked-format1"},
                                                         {"laz-chunked-format6", "laz-chunked-format6"},
                                                         {"laz-variable-chunks-format1", "laz-chunked-format1"},
                                                         {"laz-waveform-format5", "laz-waveform-format5"},
                                                         {"laz-v1-made", "laz-v1-made"}};
    for (const auto& [name, twin] : files) {
        const std::string laz = readAll(kFixtures / (std::string(name) + ".laz"));
        const std::string las = readAll(kFixtures / (std::string(twin) + ".las"));
        const LasReadResult read = readEverything(laz);
        EXPECT_TRUE(read.diagnostics.messages.empty()) << name;
        expectSamePoints(read, readEverything(las), name);
    }
}

// Where the chunk table of a chunked file lies, read from the file itself.
std::uint64_t chunkTableAt(const std::string& laz) {
    return static_cast<std::uint64_t>(getLittle<std::int64_t>(laz, getLittle<std::uint32_t>(laz, 96)));
}

TEST(LazFile, DamagedFilesKeepTheirWholeChunksAndSayWhatWasLost) {
    const std::string whole = readAll(kFixtures / "laz-chunked-format1.laz");
    const std::string las = readAll(kFixtures / "laz-chunked-format1.las");
    const LasReadResult twin = readEverything(las);

    // Cut inside the fourth of six chunks: no table, so the chunks are found in
    // turn, and the first three are kept whole.
    const std::uint64_t table = chunkTableAt(whole);
    const std::string cut = whole.substr(0, static_cast<std::size_t>(table * 3 / 5));
    const LasReadResult shortened = readEverything(cut);
    ASSERT_EQ(shortened.read.pointCount % 500, 0);
    ASSERT_GT(shortened.read.pointCount, 0);
    ASSERT_LT(shortened.read.pointCount, 3000);
    for (int i = 0; i < shortened.read.pointCount; ++i)
        ASSERT_EQ(shortened.read.points[static_cast<std::size_t>(i)].elevation,
                  twin.read.points[static_cast<std::size_t>(i)].elevation);
    ASSERT_FALSE(shortened.diagnostics.messages.empty());
    EXPECT_NE(shortened.diagnostics.messages.back().find(std::to_string(shortened.read.pointCount) + " of the 3000 points"),
              std::string::npos)
        << shortened.diagnostics.messages.back();

    // A table written last (its place given as -1, the file's last eight bytes)
    // reads as the usual one.
    std::string streamed = whole;
    putLittle<std::int64_t>(streamed, getLittle<std::uint32_t>(streamed, 96), -1);
    streamed.append(reinterpret_cast<const char*>(&table), 8);
    const LasReadResult fromEnd = readEverything(streamed);
    EXPECT_TRUE(fromEnd.diagnostics.messages.empty());
    EXPECT_EQ(fromEnd.read.pointCount, 3000);

    // A header that counts more points than the chunks hold.
    std::string overcounted = whole;
    putLittle<std::uint32_t>(overcounted, 107, 3500);
    const LasReadResult over = readEverything(overcounted);
    EXPECT_EQ(over.read.pointCount, 3000);
    ASSERT_FALSE(over.diagnostics.messages.empty());

    // A chunk table whose counts run past the points: the chunks it places
    // inside the file are kept.
    std::string pastEnd = whole;
    putLittle<std::int64_t>(pastEnd, getLittle<std::uint32_t>(pastEnd, 96), static_cast<std::int64_t>(whole.size() + 100));
    const LasReadResult noTable = readEverything(pastEnd);
    EXPECT_EQ(noTable.read.pointCount, 3000);  // found in turn
}

TEST(LazFile, UnknownCompressionIsRefusedByName) {
    std::string laz = readAll(kFixtures / "laz-chunked-format6.laz");
    const std::vector<LasVlr> vlrs = readLasVlrs(laz);
    const LasVlr* record = findLasVlr(vlrs, "laszip encoded", 22204);
    ASSERT_NE(record, nullptr);
    std::string badVersion = laz;
    putLittle<std::uint16_t>(badVersion, static_cast<std::size_t>(record->dataOffset) + 34 + 4, 9);
    const LasReadResult version = readEverything(badVersion);
    EXPECT_EQ(version.read.pointCount, 0);
    ASSERT_FALSE(version.diagnostics.messages.empty());
    EXPECT_NE(version.diagnostics.messages[0].find("version 9"), std::string::npos) << version.diagnostics.messages[0];

    std::string badCompressor = laz;
    putLittle<std::uint16_t>(badCompressor, static_cast<std::size_t>(record->dataOffset), 7);
    EXPECT_NE(readEverything(badCompressor).diagnostics.messages.at(0).find("compressor 7"), std::string::npos);
}

}  // namespace
}  // namespace vellacor::testing
