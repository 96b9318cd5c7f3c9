// Files from strangers stay data: a raster header may claim any size, but only
// what the file can hold is read, and nothing beside a file is read unless it
// is that file's own companion, a regular file in the same folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>

#include "import/elevation_raster.h"
#include "import/prj_file.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::TempDir;

constexpr const char* kSecret = "PROJCS[\"SECRET-KEY-7f3a\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\","
                                "6378137,298.257223563]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],"
                                "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"central_meridian\",15],"
                                "PARAMETER[\"scale_factor\",0.9996],PARAMETER[\"false_easting\",500000],UNIT[\"metre\",1]]";

std::string refusal(int columns, int rows, std::size_t bytes) {
    return "Unable to Open File!\n\nThe file claims " + std::to_string(columns) + " x " + std::to_string(rows) +
           " cells, more than its " + std::to_string(bytes) + " bytes can hold.";
}

void putLittle(std::string& bytes, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A little-endian TIFF of side x side 32-bit float cells in 256 x 256 tiles,
// every tile pointing at the same 16 bytes (or, sparse, at none: cells of
// 0): all a header needs to claim a raster of any size in a file of a few
// bytes a tile.
std::string tiledTiff(std::uint32_t side, std::uint16_t compression, bool sparse = false) {
    const std::uint32_t across = (side + 255) / 256, tiles = across * across;
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t count, value;
    };
    constexpr std::uint16_t kShort = 3, kLong = 4;
    const std::uint32_t entries = 12, offsets = 8 + 2 + entries * 12 + 4, counts = offsets + 4 * tiles,
                        data = counts + 4 * tiles;
    const Entry table[] = {{256, kLong, 1, side},         {257, kLong, 1, side},      {258, kShort, 1, 32},
                           {259, kShort, 1, compression}, {262, kShort, 1, 1},        {277, kShort, 1, 1},
                           {284, kShort, 1, 1},           {322, kShort, 1, 256},      {323, kShort, 1, 256},
                           {324, kLong, tiles, offsets},  {325, kLong, tiles, counts}, {339, kShort, 1, 3}};
    const std::uint32_t tileAt = sparse ? 0 : data, tileBytes = sparse ? 0 : 16;
    std::string bytes = "II";
    putLittle(bytes, 42, 2);
    putLittle(bytes, 8, 4);
    putLittle(bytes, entries, 2);
    for (const Entry& e : table) {
        putLittle(bytes, e.tag, 2);
        putLittle(bytes, e.type, 2);
        putLittle(bytes, e.count, 4);
        // A list of one is held in the entry itself.
        putLittle(bytes, tiles > 1 || e.tag < 324 || e.tag > 325 ? e.value : e.tag == 324 ? tileAt : tileBytes, 4);
    }
    putLittle(bytes, 0, 4);
    for (std::uint32_t i = 0; i < tiles; ++i) putLittle(bytes, tileAt, 4);
    for (std::uint32_t i = 0; i < tiles; ++i) putLittle(bytes, tileBytes, 4);
    return bytes + std::string(16, '\0');
}

// A binary terrain header of 256 bytes for columns x rows 4-byte floats in
// metres over a 100 m square; the cells follow, a column at a time.
std::string binaryTerrainHeader(std::uint32_t columns, std::uint32_t rows) {
    std::string bytes = "binterr1.3";
    putLittle(bytes, columns, 4);
    putLittle(bytes, rows, 4);
    for (const int field : {4, 1, 1, 33, 6326}) putLittle(bytes, static_cast<std::uint64_t>(field), 2);  // size, float, metres, zone, datum
    for (const double extent : {0.0, 100.0, 0.0, 100.0}) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &extent, sizeof bits);
        putLittle(bytes, bits, 8);
    }
    bytes.resize(256, '\0');
    return bytes;
}

TEST(HostileRasters, AHeaderClaimingMoreCellsThanTheFileHoldsIsRefusedAtOnce) {
    TempDir dir;
    // The grid that held the window for minutes: 86 bytes claiming 1.6 billion cells.
    const std::string bomb =
        "ncols 40000\nnrows 40000\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n1 2 3 4\n";
    const auto start = std::chrono::steady_clock::now();
    const SurfaceReadResult read = readElevationRaster(dir.write("bomb.asc", bomb));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(read.message, refusal(40000, 40000, bomb.size()));
    EXPECT_TRUE(read.points.empty());

    const std::string grass = "north: 40000\nsouth: 0\neast: 40000\nwest: 0\nrows: 40000\ncols: 40000\n1 2\n";
    EXPECT_EQ(readElevationRasterBytes(grass).message, refusal(40000, 40000, grass.size()));
    // 82 bytes of a text grid claiming rows of 400 million columns.
    EXPECT_EQ(readElevationRasterBytes(std::string("DSAA\n \n 400231310 24\n5 1.70140e+8 37 2\n11 \n510`\0" "0 24\n5 "
                                                   "1.70140e+8 37 2\n11 \n510`\0\0\n", 82))
                  .message,
              refusal(400231310, 24, 82));

    // Binary cells take their sample size: 4 bytes a float.
    const std::string binary = binaryTerrainHeader(30000, 30000) + std::string(400, '\0');
    EXPECT_EQ(readElevationRasterBytes(binary).message, refusal(30000, 30000, binary.size()));
    EXPECT_EQ(readElevationRasterBytes(binaryTerrainHeader(300, 200) + std::string(4 * 300 * 200, '\0')).points.size(),
              60000u);

    // A GeoTIFF's tiles may be compressed, but not into next to nothing:
    // 200 kilobytes cannot be 6.4 gigabytes of heights.
    const std::string deflated = tiledTiff(40000, 8);
    EXPECT_EQ(readElevationRasterBytes(deflated).message, refusal(40000, 40000, deflated.size()));
    const std::string plain = tiledTiff(1000, 1);
    EXPECT_EQ(readElevationRasterBytes(plain).message, refusal(1000, 1000, plain.size()));
    // Deflate within its reach is read (here as empty tiles).
    const SurfaceReadResult withinReach = readElevationRasterBytes(tiledTiff(256, 8, true));
    EXPECT_EQ(withinReach.message, "");
    EXPECT_EQ(withinReach.points.size(), 256u * 256u);
}

TEST(Companions, OnlyARegularFileBesideThePointsNamesTheirSystem) {
    TempDir dir;
    const std::string secret = dir.write("keys/secret.txt", "");
    dir.write("keys/secret.txt", kSecret);
    const std::string linked = dir.write("linked.txt", "1,5000,6000,100,A\n");
    ASSERT_EQ(::symlink(secret.c_str(), dir.path("linked.prj").c_str()), 0);
    EXPECT_EQ(readCompanionCoordinateSystem(linked), "");
    // A link to a link, and a pipe of the name, are no companions either.
    const std::string chained = dir.write("chained.txt", "1,5000,6000,100,A\n");
    ASSERT_EQ(::symlink(dir.path("linked.prj").c_str(), dir.path("chained.prj").c_str()), 0);
    EXPECT_EQ(readCompanionCoordinateSystem(chained), "");
    const std::string piped = dir.write("piped.txt", "1,5000,6000,100,A\n");
    ASSERT_EQ(::mkfifo(dir.path("piped.prj").c_str(), 0600), 0);
    EXPECT_EQ(readCompanionCoordinateSystem(piped), "");  // and returns at once

    const std::string own = dir.write("own.txt", "1,5000,6000,100,A\n");
    dir.write("own.prj", std::string("  ") + kSecret + "\r\n");
    EXPECT_EQ(readCompanionCoordinateSystem(own), kSecret);
}

TEST(Companions, ARastersSurroundingsAreNotRead) {
    TempDir dir;
    const std::string grid =
        dir.write("dem.asc", "ncols 3\nnrows 2\nxllcorner 100\nyllcorner 200\ncellsize 10\n1 2 3\n4 5 6\n");
    dir.write("dem.prj", kSecret);
    dir.write("dem.asc.aux.xml", std::string("<PAMDataset><SRS>") + kSecret + "</SRS></PAMDataset>\n");
    const SurfaceReadResult read = readElevationRaster(grid);
    ASSERT_EQ(read.points.size(), 6u);
    EXPECT_EQ(read.coordinateSystem, "");
}

}  // namespace
}  // namespace vellacor
