// LAS point clouds written byte by byte here, read back: every coordinate,
// number and class name, the class choice, and the damaged files refused.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "import/las_file.h"
#include "support/las_bytes.h"

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

// Read with every class chosen.
LasReadResult readEvery(const std::string& bytes) {
    LasClassChoice all;
    all.fill(true);
    return readLasBytes(bytes, [all](const LasClassCounts&) { return all; });
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
            EXPECT_EQ(descriptionOf(p), c.format < 6 || i != 7 ? names[i] : "Class 130");  // 6-10: the whole byte
            EXPECT_TRUE(p.useInSurface);
        }
    }
}

TEST(LasFile, ChoosesGroundByDefaultOtherwiseEveryPointAndSaysWhenNoneIsOfTheChosenClasses) {
    const std::vector<WrittenPoint> written = cloud();
    const std::string bytes = lasBytes(fileOf(written, 2, 1, 0));
    LasClassCounts seen{};
    const LasReadResult ground = readLasBytes(bytes, [&](const LasClassCounts& counts) {
        seen = counts;
        return defaultLasClasses(counts);
    });
    EXPECT_EQ(seen[2], 5u);  // the withheld ground point among them
    EXPECT_EQ(seen[6], 1u);
    EXPECT_EQ(seen[30], 1u);
    ASSERT_EQ(ground.read.pointCount, 5);
    const int groundNumbers[] = {1, 4, 8, 10, 11};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ground.read.points[static_cast<std::size_t>(i)].number, groundNumbers[i]);

    std::vector<WrittenPoint> noGround = written;
    for (WrittenPoint& p : noGround) p.classByte = p.classByte == 2 ? 1 : 5;
    EXPECT_EQ(readLasBytes(lasBytes(fileOf(noGround, 2, 1, 0)), defaultLasClasses).read.pointCount, 11);

    LasClassChoice bridges{};
    bridges[17] = true;
    const LasReadResult none = readLasBytes(bytes, [&](const LasClassCounts&) { return bridges; });
    EXPECT_TRUE(none.read.points.empty());
    EXPECT_EQ(none.diagnostics.messages, std::vector<std::string>{"The file holds no points of the classes chosen: Bridge Deck."});
}

std::string onlyMessage(const std::string& bytes) {
    const LasReadResult r = readEvery(bytes);
    EXPECT_EQ(r.read.pointCount, 0);
    return r.diagnostics.messages.size() == 1 ? r.diagnostics.messages[0] : "messages: " + std::to_string(r.diagnostics.messages.size());
}

TEST(LasFile, RefusesCompressedDamagedAndForeignFilesWithTheirReason) {
    const std::string good = lasBytes(fileOf(cloud(), 4, 6, 3));
    std::string laz = good;
    laz[104] = static_cast<char>(6 | 0x80);
    EXPECT_EQ(onlyMessage(laz), kCompressedLasMessage);
    laz[104] = static_cast<char>(1 | 0x40);
    EXPECT_EQ(onlyMessage(laz), kCompressedLasMessage);
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

}  // namespace
}  // namespace vellacor::testing
