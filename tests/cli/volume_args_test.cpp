#include <gtest/gtest.h>

#include "cli/cli_args.h"

namespace vellacor {
namespace {

TEST(VolumeArgs, TakesTwoFilesOrADatumAndAPolygon) {
    const auto two = parseCliArgs({"volume", "site.txt", "design.xml", "--format", "XYZ"});
    ASSERT_TRUE(two);
    EXPECT_EQ(two->file, "site.txt");
    EXPECT_EQ(two->secondFile, "design.xml");
    EXPECT_EQ(two->format, "XYZ");
    EXPECT_FALSE(two->datum);

    const auto level = parseCliArgs(
        {"volume", "site.txt", "--datum", "-12.5", "--polygon", "0,0;10,0;10,10", "--isopach", "iso.dxf"});
    ASSERT_TRUE(level);
    EXPECT_EQ(level->datum, -12.5);
    EXPECT_TRUE(level->secondFile.empty());
    ASSERT_EQ(level->limitPolygon.size(), 3u);
    EXPECT_EQ(level->limitPolygon[1].easting, 10.0);
    EXPECT_EQ(level->isopach, "iso.dxf");

    for (const std::vector<std::string>& bad : {
             std::vector<std::string>{"volume", "a.txt", "b.txt", "c.txt"},  // a third file
             {"volume", "a.txt", "--datum", "1e6"},                          // beyond any elevation
             {"volume", "a.txt", "--datum", "nan"},
             {"volume", "a.txt", "--datum", "1", "--polygon", "0,0;1,1"},    // two corners
             {"info", "a.txt", "b.txt"},                                     // only volume takes two
             {"section", "a.txt", "--datum", "1"},
         })
        EXPECT_FALSE(parseCliArgs(bad)) << bad[0] << " " << bad.back();
}

}  // namespace
}  // namespace vellacor
