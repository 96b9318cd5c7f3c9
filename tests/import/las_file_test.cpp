// LAS point clouds written byte by byte here, read back: every coordinate,
// number and class name, the class choice, withheld points, the header's
// box and counts held against the records, the damaged files refused, the
// coordinate system the records name; and the real files beside the project.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "import/las_file.h"
#include "support/las_bytes.h"
#include "support/same_points.h"
#include "support/temp_files.h"

namespace vellacor::testing {
namespace {

struct WrittenPoint {
    double easting, northing, elevation;
    std::uint8_t classByte;
};

// Survey-like coordinates on and off the scale's grid, ties at half a step,
// a repeated position, and classes of every kind: standard, reserved, user-defined.
std::vector<WrittenPoint> cloud() {
    std::vector<WrittenPoint> points;
    const std::uint8_t classes[] = {2, 6, 9, 2, 3, 30, 8, 2 | 0x80, 22, 2};
    for (int i = 0; i < 10; ++i)
        points.push_back({512345.675 + 0.37 * i, 4123456.785 - 1.005 * i, 101.2345 + (i % 3) * 0.0005, classes[i]});
    points.push_back(points[3]);
    return points;
}

LasTestFile fileOf(const std::vector<WrittenPoint>& points, int minor, int format, std::size_t extra) {
    LasTestFile f;
    f.minor = minor;
    f.pointFormat = format;
    f.extraBytes = extra;
    f.vlrBytes = 54;
    for (const WrittenPoint& p : points)
        f.points.push_back({static_cast<std::int32_t>(std::llround((p.easting - f.offset[0]) / f.scale[0])),
                            static_cast<std::int32_t>(std::llround((p.northing - f.offset[1]) / f.scale[1])),
                            static_cast<std::int32_t>(std::llround((p.elevation - f.offset[2]) / f.scale[2])),
                            p.classByte});
    return f;
}

LasClassAnswer everyClass(bool keepWithheld) {
    LasClassAnswer answer;
    answer.classes.fill(true);
    answer.keepWithheld = keepWithheld;
    return answer;
}

// Read with every class chosen, withheld points too.
LasReadResult readEvery(const std::string& bytes) {
    return readLasBytes(bytes, [](const LasClassTally&) { return everyClass(true); });
}

TEST(LasFile, ReadsEveryPointOfFormats0136WithExtraBytes) {
    const std::vector<WrittenPoint> written = cloud();
    const std::vector<std::string> names = {"Ground", "Building", "Water", "Ground", "Low Vegetation", "Class 30",
                                            "Reserved", "Ground", "Temporal Exclusion", "Ground", "Ground"};
    struct Case { int minor, format; std::size_t extra; };
    for (const Case c : {Case{2, 1, 0}, Case{0, 0, 0}, Case{3, 3, 4}, Case{4, 6, 7}, Case{4, 1, 2}}) {
        SCOPED_TRACE(::testing::Message() << "1." << c.minor << " format " << c.format << " extra " << c.extra);
        const LasTestFile file = fileOf(written, c.minor, c.format, c.extra);
        const LasReadResult r = readEvery(lasBytes(file));
        EXPECT_TRUE(r.diagnostics.messages.empty());
        ASSERT_EQ(r.read.pointCount, static_cast<int>(written.size()));
        ASSERT_EQ(r.read.points.size(), written.size() + 3);
        for (std::size_t i = 0; i < written.size(); ++i) {
            const SurveyPoint& p = r.read.points[i];
            EXPECT_EQ(p.number, static_cast<int>(i) + 1);
            EXPECT_NEAR(p.easting, written[i].easting, file.scale[0] / 2 + 1e-9);
            EXPECT_NEAR(p.northing, written[i].northing, file.scale[1] / 2 + 1e-9);
            EXPECT_NEAR(p.elevation, written[i].elevation, file.scale[2] / 2 + 1e-9);
            const std::string name = i == 6 && c.minor < 4 ? "Model Key-point" : names[i];  // a class before 1.4
            EXPECT_EQ(descriptionOf(p), c.format < 6 || i != 7 ? name : "Class 130");  // 6-10: the whole byte
            EXPECT_TRUE(p.useInSurface);
        }
    }
}

TEST(LasFile, ChoosesGroundByDefaultOtherwiseEveryPointAndSaysWhenNoneIsOfTheChosenClasses) {
    const std::vector<WrittenPoint> written = cloud();
    const std::string bytes = lasBytes(fileOf(written, 2, 1, 0));
    LasClassTally seen;
    const LasReadResult ground = readLasBytes(bytes, [&](const LasClassTally& tally) {
        seen = tally;
        return defaultLasAnswer(tally);
    });
    EXPECT_EQ(seen.counts[2], 4u);  // the withheld ground point apart
    EXPECT_EQ(seen.withheld[2], 1u);
    EXPECT_EQ(seen.counts[6], 1u);
    EXPECT_EQ(seen.counts[30], 1u);
    ASSERT_EQ(ground.read.pointCount, 4);
    const int groundNumbers[] = {1, 4, 10, 11};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ground.read.points[static_cast<std::size_t>(i)].number, groundNumbers[i]);
    EXPECT_EQ(ground.diagnostics.messages, std::vector<std::string>{"Left out 1 point the file marks as withheld."});

    std::vector<WrittenPoint> noGround = written;
    for (WrittenPoint& p : noGround) p.classByte = p.classByte == 2 ? 1 : 5;
    EXPECT_EQ(readLasBytes(lasBytes(fileOf(noGround, 2, 1, 0)), defaultLasAnswer).read.pointCount, 11);

    LasClassAnswer bridges;
    bridges.classes[17] = true;
    const LasReadResult none = readLasBytes(bytes, [&](const LasClassTally&) { return bridges; });
    EXPECT_TRUE(none.read.points.empty());
    EXPECT_EQ(none.diagnostics.messages, std::vector<std::string>{"The file holds no points of the classes chosen: Bridge Deck."});
}

std::string onlyMessage(const std::string& bytes) {
    const LasReadResult r = readEvery(bytes);
    EXPECT_EQ(r.read.pointCount, 0);
    return r.diagnostics.messages.size() == 1 ? r.diagnostics.messages[0] : "messages: " + std::to_string(r.diagnostics.messages.size());
}

TEST(LasFile, RefusesDamagedAndForeignFilesWithTheirReason) {
    const std::string good = lasBytes(fileOf(cloud(), 4, 6, 3));
    std::string laz = good;  // marked compressed, without the record that says how
    laz[104] = static_cast<char>(6 | 0x80);
    EXPECT_EQ(onlyMessage(laz), "The LAS file is marked compressed but has no LAZ record saying how.");
    EXPECT_EQ(onlyMessage(good.substr(0, 200)), "The LAS file ends within its header.");
    EXPECT_EQ(onlyMessage(good.substr(0, 300)), "The LAS file ends within its header.");  // 1.4 says 375 bytes
    EXPECT_EQ(onlyMessage("LAS"), "This is not a LAS point cloud: it does not begin with \"LASF\".");

    std::string bad = good;
    putLittle<std::uint32_t>(bad, 96, 0xFFFFFFF0u);
    EXPECT_EQ(onlyMessage(bad), "The LAS file's header is damaged: its points would start at byte 4294967280, beyond the end of the file.");
    bad = good;
    putLittle<std::uint16_t>(bad, 105, 29);
    EXPECT_EQ(onlyMessage(bad), "The LAS file's point records are 29 bytes long, too short for point format 6 (30 bytes).");
    bad = good;
    bad[104] = 11;
    EXPECT_EQ(onlyMessage(bad), "LAS point format 11 is not supported.");
    for (const double scale : {std::numeric_limits<double>::quiet_NaN(), 0.0, std::numeric_limits<double>::infinity()}) {
        bad = good;
        putLittle<double>(bad, 139, scale);
        EXPECT_EQ(onlyMessage(bad), "The LAS file's header is damaged: its coordinate scale or offset is not a usable number.");
    }
}

TEST(LasFile, ReadsWhatACutShortFileHoldsAndLeavesOutPointsBeyondSurveyCoordinates) {
    const std::vector<WrittenPoint> written = cloud();
    const std::string whole = lasBytes(fileOf(written, 4, 6, 3));
    const std::string cut = whole.substr(0, whole.size() - 33 - 10);  // the last record and part of the one before
    const LasReadResult r = readEvery(cut);
    EXPECT_EQ(r.read.pointCount, 9);
    EXPECT_EQ(r.diagnostics.messages,
              std::vector<std::string>{"The file holds 9 of the 11 points its header counts: it may be cut short."});

    std::string counted = whole;
    putLittle<std::uint64_t>(counted, 247, std::numeric_limits<std::uint64_t>::max());  // a count no file holds
    EXPECT_EQ(readLasBytes(counted, {}).read.pointCount, 4);  // the ground points it has (130 is not ground in 6-10)

    LasTestFile huge = fileOf(written, 2, 1, 0);
    huge.scale[0] = 1e300;  // every point but those at x == 0 lies beyond any survey grid
    huge.points[4].x = 0;
    const LasReadResult far = readEvery(lasBytes(huge));
    EXPECT_EQ(far.read.pointCount, 1);
    EXPECT_EQ(far.read.points[0].number, 5);
    EXPECT_EQ(far.diagnostics.messages,
              std::vector<std::string>{"Left out 10 points whose coordinates are too large to be survey coordinates."});
}

TEST(LasFile, LeavesOutWithheldPointsOfEitherFlagUnlessKeptAndCountsThemApart) {
    // Formats 0-5 mark a withheld point in the class byte's top bit, 6-10 in
    // the flags byte (0x04); there the class byte is the whole class, and the
    // overlap flag (0x08) withholds nothing.
    LasTestFile narrow;
    narrow.points = {{0, 0, 0, 2}, {100, 0, 0, 2 | 0x80}, {0, 100, 0, 6 | 0x80}, {100, 100, 0, 2 | 0x40}};
    LasTestFile wide = narrow;
    wide.minor = 4;
    wide.pointFormat = 6;
    wide.points = {{0, 0, 0, 2, 0x08}, {100, 0, 0, 2, 0x04}, {0, 100, 0, 6, 0x0C}, {100, 100, 0, 2 | 0x80, 0x00}};
    for (const LasTestFile& f : {narrow, wide}) {
        SCOPED_TRACE(::testing::Message() << "format " << f.pointFormat);
        const std::string bytes = lasBytes(f);
        LasClassTally seen;
        const LasReadResult left = readLasBytes(bytes, [&](const LasClassTally& tally) {
            seen = tally;
            return everyClass(false);
        });
        const bool isWide = f.pointFormat >= 6;
        EXPECT_EQ(seen.counts[2], isWide ? 1u : 2u);  // 2 | 0x40 is a key point of class 2 in 0-5
        EXPECT_EQ(seen.counts[130], isWide ? 1u : 0u);
        EXPECT_EQ(seen.withheld[2], 1u);
        EXPECT_EQ(seen.withheld[6], 1u);
        ASSERT_EQ(left.read.pointCount, 2);
        EXPECT_EQ(left.read.points[1].number, 4);
        EXPECT_EQ(left.diagnostics.messages, std::vector<std::string>{"Left out 2 points the file marks as withheld."});

        const LasReadResult kept = readLasBytes(bytes, [](const LasClassTally&) { return everyClass(true); });
        EXPECT_EQ(kept.read.pointCount, 4);
        EXPECT_TRUE(kept.diagnostics.messages.empty());

        LasClassAnswer buildings;
        buildings.classes[6] = true;
        const LasReadResult only = readLasBytes(bytes, [&](const LasClassTally&) { return buildings; });
        EXPECT_EQ(only.read.pointCount, 0);
        EXPECT_EQ(only.diagnostics.messages,
                  std::vector<std::string>{"The file holds only withheld points of the classes chosen: Building."});
    }
}

TEST(LasFile, RecordsOfAnyLengthFromAnotherReaderGiveTheSamePointsAsTheFile) {
    // A decompressing reader hands over records holding at least their first
    // 17 bytes, laid out at its own length: only those bytes may be read.
    std::vector<WrittenPoint> written = cloud();
    written[2].classByte = 2;
    LasTestFile f = fileOf(written, 4, 6, 5);
    f.points[3].flags = 0x04;                        // withheld
    f.box = std::array<double, 6>{512345.0, 4123446.0, 101.0, 512346.5, 4123457.0, 102.0};  // cuts off two
    const std::string bytes = lasBytes(f);
    const LasLayout layout = *readLasLayout(bytes).layout;
    const LasReadResult fromFile = readLasBytes(bytes, defaultLasAnswer);

    LasLayout packed = layout;
    packed.recordLength = 20;
    std::string records;
    for (std::size_t i = 0; i < layout.records; ++i)
        records += bytes.substr(layout.firstRecord + i * layout.recordLength, 17) + "\xFF\xFF\xFF";
    const LasRecordRuns runs = [&](const LasRecordTaker& take) {
        take(std::string_view(records).substr(0, 60), 0);  // runs of any whole number of records
        take(std::string_view(records).substr(60), 3);
    };
    const LasReadResult fromRecords = readLasRecords(packed, runs, defaultLasAnswer);
    ASSERT_EQ(fromRecords.read.pointCount, fromFile.read.pointCount);
    EXPECT_EQ(fromFile.read.pointCount, 4);
    expectSamePoints(fromRecords.read.points, fromFile.read.points, 4);
    EXPECT_EQ(fromRecords.diagnostics.messages, fromFile.diagnostics.messages);
    // Records a reader lost (a damaged run) leave the rest numbered by their place.
    const LasReadResult afterLoss = readLasRecords(
        packed, [&](const LasRecordTaker& take) { take(std::string_view(records).substr(60), 3); }, defaultLasAnswer);
    ASSERT_EQ(afterLoss.read.pointCount, 2);
    EXPECT_EQ(afterLoss.read.points[0].number, 10);
    EXPECT_EQ(afterLoss.read.points[1].number, 11);
    EXPECT_EQ(fromFile.diagnostics.messages,
              (std::vector<std::string>{"Left out 1 point the file marks as withheld.",
                                        "2 points lie outside the bounding box the file's header gives; they are kept."}));
}

TEST(LasFile, HoldsPointsToTheHeadersBoxWithinOneScaleStep) {
    LasTestFile f;
    f.points = {{0, 0, 0, 2}, {1000, 0, 500, 2}, {0, 1000, 1000, 2}, {1000, 1000, 1500, 2}};
    // The points span 500000..500010, 4000000..4000010, 0..1.5; a box short
    // of them by less than a step on every side still holds them.
    f.box = std::array<double, 6>{500000.005, 4000000.005, 0.0005, 500009.995, 4000009.995, 1.4995};
    EXPECT_TRUE(readEvery(lasBytes(f)).diagnostics.messages.empty());
    f.box = std::array<double, 6>{500000.0, 4000000.0, 0.0, 500010.0, 4000010.0, 1.4985};
    EXPECT_EQ(readEvery(lasBytes(f)).diagnostics.messages,
              std::vector<std::string>{"1 point lies outside the bounding box the file's header gives; it is kept."});
    f.box = std::array<double, 6>{500000.0, 4000000.0, 0.0, 500010.0, 4000010.0, -1.0};  // not a box: not held to
    EXPECT_TRUE(readEvery(lasBytes(f)).diagnostics.messages.empty());
    f.box = std::array<double, 6>{0, 0, 0, 0, 0, 0};  // a writer that left it empty: every point is out, and kept
    const LasReadResult r = readEvery(lasBytes(f));
    EXPECT_EQ(r.read.pointCount, 4);
    EXPECT_EQ(r.diagnostics.messages,
              std::vector<std::string>{"4 points lie outside the bounding box the file's header gives; they are kept."});
}

TEST(LasFile, PointsEndWithTheirCountBeforeTheExtendedRecordsAndStartAfterTheVariableOnes) {
    LasTestFile f = fileOf(cloud(), 4, 6, 0);
    f.extendedVlrs = {{"EXTRA", 7, std::string(300, 'x')}};  // ten records' worth
    std::string bytes = lasBytes(f);
    EXPECT_EQ(readEvery(bytes).read.pointCount, 11);
    EXPECT_TRUE(readEvery(bytes).diagnostics.messages.empty());
    putLittle<std::uint64_t>(bytes, 247, 20);
    const LasReadResult over = readEvery(bytes);
    EXPECT_EQ(over.read.pointCount, 11);
    EXPECT_EQ(over.diagnostics.messages,
              std::vector<std::string>{"The file holds 11 of the 20 points its header counts before its extended "
                                       "records start: the rest are left out."});

    LasTestFile v = fileOf(cloud(), 2, 1, 0);
    v.vlrs = {{"LASF_Projection", 2112, std::string(100, 'w')}};
    bytes = lasBytes(v);  // header 227, then records of 54 and 54 + 100 bytes: the points at 435
    ASSERT_EQ(readEvery(bytes).read.pointCount, 11);
    putLittle<std::uint32_t>(bytes, 96, 300);
    EXPECT_EQ(onlyMessage(bytes), "The LAS file's header is damaged: its points would start at byte 300, within its "
                                  "variable-length records (which end at byte 435).");
    putLittle<std::uint32_t>(bytes, 96, 200);
    EXPECT_EQ(onlyMessage(bytes), "The LAS file's header is damaged: its points would start at byte 200, within the header.");
}

TEST(LasFile, NamesClassesAsTheFilesVersionDoes) {
    std::vector<WrittenPoint> points = cloud();
    points[0].classByte = 12;
    for (const int minor : {2, 4}) {
        const LasReadResult r = readEvery(lasBytes(fileOf(points, minor, 1, 0)));
        ASSERT_EQ(r.read.pointCount, 11);
        EXPECT_EQ(descriptionOf(r.read.points[0]), minor == 2 ? "Overlap Points" : "Reserved");
        EXPECT_EQ(descriptionOf(r.read.points[6]), minor == 2 ? "Model Key-point" : "Reserved");
    }
    LasClassAnswer keyPoints;
    keyPoints.classes[8] = keyPoints.classes[17] = true;
    EXPECT_EQ(readLasBytes(lasBytes(fileOf(cloud(), 1, 1, 0)), [&](const LasClassTally&) { return keyPoints; })
                  .read.points[0].number, 7);
    LasClassAnswer overlap;
    overlap.classes[12] = true;
    EXPECT_EQ(readLasBytes(lasBytes(fileOf(cloud(), 3, 1, 0)), [&](const LasClassTally&) { return overlap; })
                  .diagnostics.messages,
              std::vector<std::string>{"The file holds no points of the classes chosen: Overlap Points."});
}

LasCoordinateSystem systemOf(int minor, std::uint16_t encoding, const std::vector<LasTestVlr>& vlrs,
                             const std::vector<LasTestVlr>& extended = {}) {
    LasTestFile f = fileOf(cloud(), minor, 1, 0);
    f.globalEncoding = encoding;
    f.vlrs = vlrs;
    f.extendedVlrs = extended;
    const std::string bytes = lasBytes(f);
    const LasReadResult r = readEvery(bytes);
    EXPECT_EQ(r.read.pointCount, 11);
    EXPECT_EQ(r.coordinateSystem.definition, readLasCoordinateSystem(bytes).definition);
    return r.coordinateSystem;
}

TEST(LasFile, ReadsTheCoordinateSystemFromGeoTiffKeysOrWkt) {
    const LasTestVlr utm = {"LASF_Projection", 34735, lasGeoKeys({{1024, 0, 1, 1}, {3072, 0, 1, 32633}, {4096, 0, 1, 5773}})};
    EXPECT_EQ(systemOf(2, 0, {utm}).definition, "EPSG:32633");
    EXPECT_EQ(systemOf(2, 0, {lasEpsgRecord(4326, true)}).definition, "EPSG:4326");

    // Keys of the file's own projection: no code to take, and the datum's
    // geographic code is not the system; the keys go to the library.
    const LasTestVlr own = {"LASF_Projection", 34735,
                            lasGeoKeys({{1024, 0, 1, 1}, {3072, 0, 1, 32767}, {2048, 0, 1, 4269}, {3074, 0, 1, 16010},
                                     {3076, 34736, 1, 0}})};
    const LasTestVlr doubles = {"LASF_Projection", 34736, std::string(8, '\0')};
    const LasTestVlr text = {"LASF_Projection", 34737, "NAD83 / UTM 10N|"};
    const LasCoordinateSystem userDefined = systemOf(3, 0, {own, doubles, text});
    EXPECT_EQ(userDefined.definition, "");
    EXPECT_EQ(userDefined.userDefinedKeys.directory.size(), 4u + 5 * 4);
    EXPECT_EQ(userDefined.userDefinedKeys.doubles, std::vector<double>{0.0});
    EXPECT_EQ(userDefined.userDefinedKeys.ascii, "NAD83 / UTM 10N|");
    const LasTestVlr modelOnly = {"LASF_Projection", 34735, lasGeoKeys({{1024, 0, 1, 1}, {2048, 0, 1, 4269}})};
    EXPECT_EQ(systemOf(2, 0, {modelOnly}).definition, "");

    // WKT, up to its NUL; the 1.4 header bit puts it before the keys, wherever it is kept.
    const std::string wkt = "PROJCS[\"NZGD2000 / New Zealand Transverse Mercator 2000\",AUTHORITY[\"EPSG\",\"2193\"]]";
    const LasTestVlr wktRecord = {"LASF_Projection", 2112, wkt + std::string(3, '\0')};
    EXPECT_EQ(systemOf(2, 0, {wktRecord}).definition, wkt);
    EXPECT_EQ(systemOf(4, 0x10, {utm, wktRecord}).definition, wkt);
    EXPECT_EQ(systemOf(4, 0, {utm, wktRecord}).definition, "EPSG:32633");
    EXPECT_EQ(systemOf(2, 0x10, {utm, wktRecord}).definition, "EPSG:32633");  // the bit means nothing before 1.4
    EXPECT_EQ(systemOf(4, 0x10, {}, {wktRecord}).definition, wkt);
    EXPECT_EQ(systemOf(4, 0x10, {{"liblas", 2112, "GEOGCS[\"other\"]"}, utm}).definition, "EPSG:32633");
    EXPECT_EQ(systemOf(2, 0, {}).definition, "");
}

// Real files as other programs wrote them: their counts and sums are held
// against what other tools worked out in the LAZ tests; here, the systems.
TEST(LasFile, ReadsTheSystemsOfRealFiles) {
    const std::string evlr = sharedData("las/1_4_w_evlr.las");
    if (evlr.empty()) GTEST_SKIP() << "no shared data folder beside the project";
    const std::optional<LasReadResult> r = readLasFile(evlr, [](const LasClassTally&) { return everyClass(false); });
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->diagnostics.messages.empty());
    EXPECT_EQ(r->read.pointCount, 1000);
    EXPECT_TRUE(r->coordinateSystem.definition.starts_with("PROJCS[\"NAD83(HARN) / New Mexico Central (ftUS)\""));
    // A compressed file's header and records are read as they are, its points left to the decoder.
    const std::string packed = readFile(sharedData("las/append-bug.laz"));
    EXPECT_TRUE(readLasCoordinateSystem(packed).definition.starts_with("PROJCRS[\"RGF93 / Lambert-93\""));
}

}  // namespace
}  // namespace vellacor::testing
