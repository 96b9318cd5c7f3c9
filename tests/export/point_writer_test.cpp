#include <gtest/gtest.h>

#include <clocale>

#include "export/writers.h"
#include "export_site.h"

namespace vellacor {
namespace {

using testing::written;

TEST(PointWriter, ExactLinesInBothOrdersUnaffectedByLocale) {
    SiteDocument m;
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
    auto pointText = [&] { return written([&](std::FILE* f) { return writePointFile(f, m); }); };
    m.pointFileFormat = PointFileFormat::PNEZD;
    EXPECT_EQ(pointText(), "12,5000.000000,6000.000000,100.500,TREE\r\n-3,0.000000,-1.500000,0.001,\r\n");
    m.pointFileFormat = PointFileFormat::PENZD;
    EXPECT_EQ(pointText(), "12,6000.000000,5000.000000,100.500,TREE\r\n-3,-1.500000,0.000000,0.001,\r\n");
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
}  // namespace vellacor
