// vellacor-cli info over the files it opens: LAS point clouds the test writes
// (the class choice by default and by --classes, and the files it refuses with
// their reason), and GDAL loaded only by a run that needs it.
#include <gtest/gtest.h>

#include <string>

#include "export/run_tool.h"
#include "import/las_file.h"
#include "support/las_bytes.h"
#include "support/temp_files.h"

namespace vellacor::testing {
namespace {

// Ground (2) at 1 and 4, a building (6) at 2, water (9) at 3, spread over 10 m.
std::string cloudBytes(int minor = 2, int format = 1) {
    LasTestFile f;
    f.minor = minor;
    f.pointFormat = format;
    f.points = {{0, 0, 10000, 2}, {1000, 0, 20000, 6}, {0, 1000, 5000, 9}, {1000, 1000, 12500, 2}};
    return lasBytes(f);
}

std::string info(const std::string& arguments) {
    const ToolRun run = runTool(std::string(VELLACOR_CLI) + " info " + arguments);
    return std::to_string(run.exitCode) + "\n" + run.output;
}

// One end-to-end run of the choices and refusals the reader's own tests cover case by case.
TEST(CliLas, OpensTheGroundByDefaultOrTheClassesNamedAndRefusesCompressedFiles) {
    TempDir dir;
    const std::string las = dir.write("cloud.las", cloudBytes());
    const std::string ground = info("'" + las + "'");
    EXPECT_EQ(ground.substr(0, ground.find("\nskipped")), "0\nformat: LAS\npoints: 2");
    EXPECT_NE(ground.find("\neasting: 500000.000000 500010.000000\n"), std::string::npos);
    EXPECT_NE(ground.find("\nelevation: 10.000000 12.500000\n"), std::string::npos);
    const std::string chosen = info("'" + las + "' --classes 6,9");
    EXPECT_NE(chosen.find("\nelevation: 5.000000 20.000000\n"), std::string::npos) << chosen;
    // Known by its content, whatever its name.
    const std::string named = info("'" + dir.write("cloud.bin", cloudBytes(4, 6)) + "' --classes 0,1,2,3,4,5,6,7,8,9");
    EXPECT_EQ(named.substr(0, named.find("\nskipped")), "0\nformat: LAS\npoints: 4");

    EXPECT_EQ(info("'" + las + "' --classes 17"),
              "1\nThe file holds no points of the classes chosen: Bridge Deck.\nUnable to find any points in:\n\ncloud.las\n");
    EXPECT_EQ(info("'" + las + "' --classes 256").substr(0, 2), "2\n");
    EXPECT_EQ(info("'" + las + "' --classes 2,").substr(0, 2), "2\n");
    EXPECT_EQ(info("'" + dir.write("cloud.laz", cloudBytes()) + "'"),
              std::string("1\n") + kCompressedLasMessage + "\nUnable to find any points in:\n\ncloud.laz\n");
}

// The run's output with the dynamic loader's list of the libraries it opened.
ToolRun infoListingLibraries(const std::string& file) {
    return runTool("LD_DEBUG=files " + std::string(VELLACOR_CLI) + " info '" + file + "'");
}

bool loadedGdal(const ToolRun& run) { return run.output.find("libgdal.so") != std::string::npos; }

TEST(CliGisModule, PointListsOpenWithoutTheGeospatialLibraryAndRastersThroughIt) {
    TempDir dir;
    const ToolRun points = infoListingLibraries(dir.write("site.txt", "1,5000,6000,100,A\n2,5010,6000,101,B\n"
                                                                      "3,5000,6010,102,C\n"));
    EXPECT_EQ(points.exitCode, 0) << points.output;
    EXPECT_NE(points.output.find("format: PNEZD\npoints: 3\n"), std::string::npos) << points.output;
    EXPECT_FALSE(loadedGdal(points));

    const ToolRun grid = infoListingLibraries(
        dir.write("grid.dat", "ncols 3\nnrows 2\nxllcorner 100\nyllcorner 200\ncellsize 5\n1 2 3\n4 5 6\n"));
    EXPECT_EQ(grid.exitCode, 0) << grid.output;
    EXPECT_NE(grid.output.find("format: RASTER\npoints: 6\n"), std::string::npos) << grid.output;
    EXPECT_TRUE(loadedGdal(grid));
}

}  // namespace
}  // namespace vellacor::testing
