// GDAL and its hundred-odd libraries are loaded only by a run that needs
// them: a point list opens without them, and an elevation raster with an
// unknown name is still known by its content, through them.
#include <gtest/gtest.h>

#include <string>

#include "export/run_tool.h"
#include "support/temp_files.h"

namespace vellacor::testing {
namespace {

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
