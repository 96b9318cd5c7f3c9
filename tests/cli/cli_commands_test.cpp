// vellacor-cli volume, info and convert as a user runs them: the volume's exact
// lines, refusals and the same figures as the program's own comparison; info
// over LAS point clouds the test writes, and GDAL loaded only by a run that
// needs it; convert's file the same as the window's Save As.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/document.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/site_save.h"
#include "app/volume_report.h"
#include "export/run_tool.h"
#include "import/las_file.h"
#include "support/fake_ui.h"
#include "support/las_bytes.h"
#include "support/temp_files.h"

namespace vellacor::testing {
namespace {

// A design over the sample site: a level pad at 104 with 1:3 banks, on a 10 m grid (PNEZD).
std::string designPoints() {
    std::string text;
    int number = 1;
    for (int i = 0; i <= 30; ++i)
        for (int j = 0; j <= 30; ++j) {
            const double e = 9998.0 + 10.0 * i, n = 4998.0 + 10.0 * j;
            const double dx = std::max(0.0, std::abs(e - 10148) - 60), dy = std::max(0.0, std::abs(n - 5148) - 50);
            char line[96];
            std::snprintf(line, sizeof line, "%d,%.3f,%.3f,%.3f,DES\n", number++, n, e, 104.0 + (dx + dy) / 3.0);
            text += line;
        }
    return text;
}

const std::string kSite = std::string(VELLACOR_SAMPLES) + "/sample-site.txt";

std::string volume(const std::string& arguments) {
    const ToolRun run = runTool(std::string(VELLACOR_CLI) + " volume " + arguments);
    return std::to_string(run.exitCode) + "\n" + run.output;
}

TEST(CliVolume, PrintsTheFiguresAndIsopachOfTheProgramsOwnComparison) {
    TempDir dir;
    const std::string design = dir.write("design.txt", designPoints());
    SiteModel site, comparison;
    FakeUi ui;
    ASSERT_EQ(openDocument(site, ui, kSite, std::string("PNEZD")), OpenResult::Loaded);
    ASSERT_EQ(openDocument(comparison, ui, design, std::string("PNEZD")), OpenResult::Loaded);
    buildSurfaceToCompletion(site, ui);
    buildSurfaceToCompletion(comparison, ui);
    const auto forward = compareSiteVolumes(site, &comparison, {});
    const auto backward = compareSiteVolumes(comparison, &site, {});
    ASSERT_TRUE(forward && backward);
    EXPECT_GT(forward->cut, 1000.0);
    EXPECT_GT(forward->fill, 1000.0);
    EXPECT_EQ(volume("'" + kSite + "' '" + design + "' --format PNEZD"), "0\n" + volumeFigures(*forward));
    EXPECT_EQ(volume("'" + design + "' '" + kSite + "' --format PNEZD"), "0\n" + volumeFigures(*backward));

    VolumeRequest request;
    request.datum = 105.0;
    request.polygon = {{10100, 5100, 0}, {10200, 5100, 0}, {10200, 5200, 0}};
    const auto level = compareSiteVolumes(site, nullptr, request);
    ASSERT_TRUE(level);
    EXPECT_NEAR(level->area, 5000.0, 1e-6);
    const std::string figures = volume("'" + kSite + "' --datum 105 --polygon '10100,5100;10200,5100;10200,5200' --format PNEZD");
    EXPECT_EQ(figures, "0\n" + volumeFigures(*level));
    EXPECT_NE(figures.find("\narea: 5000.000000\n"), std::string::npos);

    // The isopach is written as contour polylines, one for each line of the comparison's.
    VolumeRequest isopach;
    isopach.isopachInterval = 1.0;
    const auto totals = compareSiteVolumes(site, &comparison, isopach);
    ASSERT_TRUE(totals);
    ASSERT_FALSE(totals->isopach.empty());
    const std::string out = dir.path("isopach.dxf");
    EXPECT_EQ(volume("'" + kSite + "' '" + design + "' --format PNEZD --isopach '" + out + "'"),
              "0\n" + volumeFigures(*totals) + "Saved File:\n\n" + out + "\n");
    const std::string drawing = readFile(out);
    std::size_t polylines = 0;
    for (std::size_t at = 0; (at = drawing.find("\nPOLYLINE\n", at)) != std::string::npos; ++at) ++polylines;
    EXPECT_EQ(polylines, totals->isopach.size());
    if (ezdxfAvailable()) {
        EXPECT_EQ(checkDxf(out, "").exitCode, 0);
    }
}

TEST(CliVolume, SaysWhyThereIsNoAnswer) {
    TempDir dir;
    const std::string far = dir.write("far.txt", "1,0.5,0.5,10,A\n2,0.5,9.5,10,A\n3,9.5,0.5,10,A\n");
    EXPECT_EQ(volume("'" + kSite + "' '" + far + "' --format PNEZD"), "1\nThe surfaces do not overlap.\n");
    EXPECT_EQ(volume("'" + kSite + "' --datum 100 --polygon '0,0;1,0;1,1' --format PNEZD"),
              "1\nThe surfaces do not overlap.\n");
    const std::string missing = volume("'" + kSite + "' '" + dir.path("missing.txt") + "' --format PNEZD");
    EXPECT_EQ(missing.substr(0, 2), "1\n");
    EXPECT_NE(missing.find("missing.txt"), std::string::npos);
    EXPECT_EQ(volume("'" + kSite + "'").substr(0, 2), "2\n");
}

// Saved without choosing anything, convert's file is the one the window's
// Save As writes with the boxes it first ticks, and it is reported the same.
TEST(CliConvert, WritesTheBytesOfTheWindowsSaveAs) {
    TempDir dir;
    const std::string site = dir.write("site.txt", "1,5000,6000,100,A\r\n2,5010,6000,101,B\r\n3,5000,6010,102,C\r\n"
                                                   "4,5010,6010,104,D\r\n5,5005,6005,99,E\r\n");
    for (const auto& [format, extension] : {std::pair{ExportFormat::Dxf, ".dxf"}, {ExportFormat::LandXml, ".xml"}}) {
        SiteModel m;
        FakeUi ui;
        ASSERT_EQ(openDocument(m, ui, site), OpenResult::Loaded);
        runPipelineToCompletion(m, ui);  // the frames the user watches before saving
        EXPECT_FALSE(saveAsCommand(m, ui));  // cancelled: only to see what it ticks
        SavingDialog ticked = ui.lastSavingDefaults;
        ticked.format = format;
        ui.savingAnswer = ticked;
        const std::string window = dir.path(std::string("window") + extension);
        ui.saveFileAnswers.push_back(window);
        ASSERT_TRUE(saveAsCommand(m, ui));
        EXPECT_EQ(ui.messages, std::vector<std::string>{savedFileMessage(window)});

        const std::string cli = dir.path(std::string("cli") + extension);
        const ToolRun run = runTool(std::string(VELLACOR_CLI) + " convert " + site + " --to " + cli);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(run.output, savedFileMessage(cli) + "\n");
        EXPECT_EQ(readFile(cli), readFile(window)) << extension;
    }
}

TEST(CliStart, ClearsKilledSavesBesideTheFileAndTheOutputEvenWhenNothingIsWritten) {
    TempDir input, output, elsewhere;
    const std::string besideInput = killedSaveIn(input), besideOutput = killedSaveIn(output);
    const std::string kept = killedSaveIn(elsewhere);
    const ToolRun run = runTool(std::string(VELLACOR_CLI) + " convert '" + input.path("missing.txt") + "' --to '" +
                                output.path("site.dxf") + "' --format PNEZD");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(besideInput));
    EXPECT_FALSE(std::filesystem::exists(besideOutput));
    EXPECT_TRUE(std::filesystem::exists(kept));
}

// Ground (2) at 1 and 4, a building (6) at 2, water (9) at 3, spread over 10 m.
std::string cloudBytes(int minor = 2, int format = 1) {
    LasTestFile f;
    f.minor = minor;
    f.pointFormat = format;
    f.points = {{0, 0, 10000, 2}, {1000, 0, 20000, 6}, {0, 1000, 5000, 9}, {1000, 1000, 12500, 2}};
    return lasBytes(f);
}

// Ground on a 6 x 6 grid 0.0002 degrees apart, near Auckland, in longitudes and latitudes.
std::string cloudInDegrees() {
    LasTestFile degrees;
    degrees.scale = {1e-7, 1e-7, 0.001};
    degrees.offset = {174.76, -36.85, 0.0};
    degrees.vlrs = {testing::lasEpsgRecord(4326, true)};
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) degrees.points.push_back({2000 * i, 2000 * j, 30000 + 500 * i * j, 2});
    return lasBytes(degrees);
}

std::string info(const std::string& arguments) {
    const ToolRun run = runTool(std::string(VELLACOR_CLI) + " info " + arguments);
    return std::to_string(run.exitCode) + "\n" + run.output;
}

// One end-to-end run of the choices and refusals the reader's own tests cover case by case.
TEST(CliLas, OpensTheGroundByDefaultOrTheClassesNamedWhateverTheFileIsCalled) {
    TempDir dir;
    const std::string las = dir.write("cloud.las", cloudBytes());
    const std::string ground = info("'" + las + "'");
    EXPECT_EQ(ground.substr(0, ground.find("\nskipped")), "0\nformat: LAS\npoints: 2");
    EXPECT_NE(ground.find("\neasting: 500000.000000 500010.000000\n"), std::string::npos);
    EXPECT_NE(ground.find("\nelevation: 10.000000 12.500000\n"), std::string::npos);
    const std::string chosen = info("'" + las + "' --classes 6,9");
    EXPECT_NE(chosen.find("\nelevation: 5.000000 20.000000\n"), std::string::npos) << chosen;
    // Known by its content, whatever its name.
    // Quoted by appending: g++ 12 at -O3 warns of an overlapping copy in a
    // literal + a temporary string.
    const auto quoted = [](const std::string& path) { return std::string(1, '\'').append(path).append("'"); };
    const std::string named = info(quoted(dir.write("cloud.bin", cloudBytes(4, 6))) + " --classes 0,1,2,3,4,5,6,7,8,9");
    EXPECT_EQ(named.substr(0, named.find("\nskipped")), "0\nformat: LAS\npoints: 4");

    EXPECT_EQ(info("'" + las + "' --classes 17"),
              "1\nThe file holds no points of the classes chosen: Bridge Deck.\nUnable to find any points in:\n\ncloud.las\n");
    EXPECT_EQ(info("'" + las + "' --classes 256").substr(0, 2), "2\n");
    EXPECT_EQ(info("'" + las + "' --classes 2,").substr(0, 2), "2\n");
    // An uncompressed cloud named .laz is read by what it holds.
    const std::string misnamed = info(quoted(dir.write("cloud.laz", cloudBytes())));
    EXPECT_EQ(misnamed.substr(0, misnamed.find("\nskipped")), "0\nformat: LAS\npoints: 2");
}

// Thinning keeps each 2 m square's lowest point of a 1 m grid before the
// surface is built; a LAS cloud in degrees is thinned in metres, once projected.
TEST(CliThin, KeepsTheLowestPointOfEachSquareBeforeTheSurface) {
    TempDir dir;
    std::string grid;
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j) grid += std::to_string(100 + i) + " " + std::to_string(200 + j) + " " + std::to_string(10 + (i % 2) + (j % 2)) + "\n";
    const std::string xyz = dir.write("grid.xyz", grid);
    const std::string thinned = info("'" + xyz + "' --thin 2 --surface");
    EXPECT_EQ(thinned.substr(0, thinned.find("\nskipped")), "0\nformat: XYZ\npoints: 25\nthinned: 25 100") << thinned;
    EXPECT_NE(thinned.find("\nelevation: 10.000000 10.000000\n"), std::string::npos) << thinned;
    EXPECT_NE(thinned.find("\ntriangles: 32\n"), std::string::npos) << thinned;
    EXPECT_EQ(info("'" + xyz + "' --thin 0").substr(0, 2), "2\n");

    const std::string cloud = dir.write("degrees.las", cloudInDegrees());
    // 0.0002 degrees apart: about 18 m east and 22 m north, so 45 m squares
    // make three rows and three columns (the zone's grid, turned a little from
    // the meridians, leaves one of them empty); 1 m squares hold one each.
    const std::string coarse = info("'" + cloud + "' --thin 45");
    EXPECT_NE(coarse.find("\nthinned: 8 36\n"), std::string::npos) << coarse;
    EXPECT_NE(info("'" + cloud + "' --thin 1").find("\nthinned: 36 36\n"), std::string::npos);
}

TEST(CliLas, LeavesOutWithheldPointsUnlessAskedAndProjectsACloudInDegrees) {
    TempDir dir;
    LasTestFile f;
    f.points = {{0, 0, 10000, 2}, {1000, 0, 20000, 2 | 0x80}, {0, 1000, 5000, 2}, {1000, 1000, 12500, 2 | 0x80}};
    const std::string las = dir.write("withheld.las", lasBytes(f));
    const std::string left = info("'" + las + "'");
    EXPECT_NE(left.find("Left out 2 points the file marks as withheld.\n"), std::string::npos) << left;
    EXPECT_NE(left.find("\npoints: 2\n"), std::string::npos);
    const std::string kept = info("'" + las + "' --withheld");
    EXPECT_EQ(kept.substr(0, kept.find("\nskipped")), "0\nformat: LAS\npoints: 4");
    EXPECT_EQ(kept.find("withheld"), std::string::npos);

    // A cloud in longitudes and latitudes: the surface is built in metres, and saves name the zone.
    const std::string cloud = dir.write("auckland.las", cloudInDegrees());
    const std::string projected = info("'" + cloud + "' --surface");
    EXPECT_NE(projected.find("The site's coordinate system, EPSG:4326, is one of longitudes and latitudes: its points "
                             "are projected to WGS 84 / UTM zone 60S (EPSG:32760), their elevations as they were.\n"),
              std::string::npos)
        << projected;
    EXPECT_NE(projected.find("\nelevation: 30.000000 42.500000\n"), std::string::npos);
    EXPECT_NE(projected.find("\ncrs: EPSG:32760\n"), std::string::npos);
    EXPECT_EQ(projected.find("\ntriangles: 0\n"), std::string::npos);
    const std::string xml = dir.path("auckland.xml");
    EXPECT_EQ(runTool(std::string(VELLACOR_CLI) + " convert '" + cloud + "' --to '" + xml + "'").exitCode, 0);
    EXPECT_NE(readFile(xml).find("<CoordinateSystem epsgCode=\"32760\"/>"), std::string::npos);

    const std::string real = sharedData("las/1_4_w_evlr.las");
    if (real.empty()) GTEST_SKIP() << "no shared data folder beside the project";
    const std::string named = info("'" + real + "'");
    EXPECT_NE(named.find("\npoints: 1000\n"), std::string::npos) << named;
    EXPECT_NE(named.find("\ncrs: EPSG:2903\n"), std::string::npos);  // NAD83(HARN) / New Mexico Central (ftUS), by its WKT
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
