// The in-memory entries the fuzzers use read exactly as the file readers do.
#include <gtest/gtest.h>

#include "import/elevation_raster.h"
#include "import/grid_triangles.h"
#include "import/hgt_file.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

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
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(fromBytes.points[i].easting, fromFile.points[i].easting);
        EXPECT_EQ(fromBytes.points[i].northing, fromFile.points[i].northing);
        EXPECT_EQ(fromBytes.points[i].elevation, fromFile.points[i].elevation);
    }
    EXPECT_EQ(fromBytes.points[0].easting, 105);
    EXPECT_EQ(fromBytes.points[4].elevation, kVoidElevation);
    EXPECT_EQ(fromBytes.triangles.size(), fromFile.triangles.size());
    EXPECT_EQ(readElevationRasterBytes("not a raster").message, "Unable to Open File!");
    // 82 bytes of a text grid claiming rows of 400 million columns: refused, not gigabytes allocated.
    EXPECT_EQ(readElevationRasterBytes(std::string("DSAA\n \n 400231310 24\n5 1.70140e+8 37 2\n11 \n510`\0" "0 24\n5 "
                                                   "1.70140e+8 37 2\n11 \n510`\0\0\n", 82))
                  .message,
              kPointsNotAllocated);
}

}  // namespace
}  // namespace vellacor
