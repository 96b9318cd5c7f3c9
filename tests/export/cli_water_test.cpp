#include <gtest/gtest.h>

#include "run_tool.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using namespace testing;

const std::string kCli = VELLACOR_CLI;

// A surveyed hollow, elevations to the half metre: number, northing, easting, elevation.
const char* kHollow =
    "1,0,0,104.5,G\n2,10,0,103,G\n3,20,0,104.5,G\n4,30,0,103.5,G\n5,40,0,105.5,G\n6,0,10,103,G\n"
    "7,10,10,100.5,G\n8,20,10,100,G\n9,30,10,102,G\n10,40,10,103.5,G\n11,0,20,105.5,G\n12,10,20,100.5,G\n"
    "13,20,20,100.5,G\n14,30,20,102.5,G\n15,40,20,103,G\n16,0,30,105.5,G\n17,10,30,100,G\n"
    "18,20,30,100.5,G\n19,30,30,100.5,G\n20,40,30,105,G\n21,0,40,105.5,G\n22,10,40,104.5,G\n"
    "23,20,40,105,G\n24,30,40,104.5,G\n25,40,40,103.5,G\n";

TEST(CliPonds, TheHollowFillsToWhereItsWaterRunsOff) {
    TempDir dir;
    const ToolRun run = runTool(kCli + " ponds " + dir.write("hollow.txt", kHollow));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "pond 8 100.000 103.000 1030.3 1558.4\nponds: 1\n");
}

TEST(CliRender, RainWithASeedGivesTheSamePictureEveryTime) {
    TempDir dir;
    const std::string site = std::string(VELLACOR_SAMPLES) + "/sample-site.txt";
    auto render = [&](const std::string& name, const std::string& seed) {
        const ToolRun run = runTool(kCli + " render " + site + " --size 320x240 --rain 2 --seed " + seed +
                                    " --out " + dir.path(name));
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return readFile(dir.path(name));
    };
    const std::string once = render("once.png", "3");
    EXPECT_FALSE(once.empty());
    EXPECT_EQ(render("again.png", "3"), once);
    EXPECT_NE(render("other.png", "4"), once);
}

}  // namespace
}  // namespace vellacor
