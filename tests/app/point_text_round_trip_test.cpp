#include <gtest/gtest.h>

#include "export/export_site.h"
#include "export/writers.h"
#include "import/point_file.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// Point text as Save As writes it reads back as the same points.
TEST(PointWriter, RoundTripReadsBackTheSamePoints) {
    testing::TempDir dir;
    SiteDocument first, again;
    const std::string points = "5,1000.123456,2000.654321,99.125,CURB, with comma\n6,1001,2001,0,\n";
    ASSERT_TRUE(readPointFile(first, dir.write("a.txt", points), PointLayout::PNEZD).pointsRead);
    ASSERT_EQ(first.pointCount, 2);
    first.pointFileFormat = PointFileFormat::PNEZD;
    const std::string text = testing::written([&](std::FILE* f) { return writePointFile(f, first); });
    ASSERT_TRUE(readPointFile(again, dir.write("b.txt", text), PointLayout::PNEZD).pointsRead);
    ASSERT_EQ(again.pointCount, 2);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(again.points[i].number, first.points[i].number);
        EXPECT_EQ(again.points[i].northing, first.points[i].northing);
        EXPECT_EQ(again.points[i].easting, first.points[i].easting);
        EXPECT_EQ(again.points[i].elevation, first.points[i].elevation);
        EXPECT_EQ(descriptionOf(again.points[i]), descriptionOf(first.points[i]));
    }
}

}  // namespace
}  // namespace vellacor
