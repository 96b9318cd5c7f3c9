// vellacor-cli convert, info and render as a user runs them, with the ponds
// command: the kinds written, the failures said, textures and seeded rain.
#include <gtest/gtest.h>

#include "export/run_tool.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using namespace testing;

const std::string kCli = VELLACOR_CLI;
const char* kSurvey = "1,5000,6000,100,A & B\r\n2,5010,6000,101,B\r\n3,5000,6010,102,C\r\n4,5010,6010,103,D\r\n";

ToolRun convert(const std::string& args) { return runTool(kCli + " convert " + args); }

TEST(CliConvert, KindFollowsTheOutputNameUnlessToldOtherwise) {
    TempDir dir;
    const std::string in = dir.write("site.txt", kSurvey);

    const ToolRun dxf = convert(in + " --to " + dir.path("out.dxf"));
    ASSERT_EQ(dxf.exitCode, 0) << dxf.output;
    EXPECT_EQ(dxf.output, "Saved File:\n\n" + dir.path("out.dxf") + "\n");
    const ToolRun check = checkDxf(dir.path("out.dxf"), "INSERT=4");
    EXPECT_EQ(check.exitCode, 0) << check.output;

    ASSERT_EQ(convert(in + " --to " + dir.path("out.XML") + " --breaklines").exitCode, 0);
    const std::string xml = readFile(dir.path("out.XML"));
    EXPECT_NE(xml.find("<CgPoint name=\"4\" desc=\"D\">5010 6010 103</CgPoint>"), std::string::npos);
    const ToolRun xmlCheck = checkXml(dir.path("out.XML"));
    EXPECT_EQ(xmlCheck.exitCode, 0) << xmlCheck.output;

    // PENZD: the second column is the easting; Save Points writes the same layout back.
    ASSERT_EQ(convert(in + " --format PENZD --to " + dir.path("points.csv")).exitCode, 0);
    EXPECT_EQ(readFile(dir.path("points.csv")).substr(0, 41), "1,5000.000000,6000.000000,100.000,A & B\r\n");

    ASSERT_EQ(convert(in + " --as dxf --to " + dir.path("drawing.txt") + " --points").exitCode, 0);
    EXPECT_EQ(readFile(dir.path("drawing.txt")).substr(0, 12), "  0\nSECTION\n");
}

TEST(CliConvert, FailuresSayWhyAndExitNonZero) {
    TempDir dir;
    const std::string in = dir.write("site.txt", kSurvey);

    // A write that fails: cli_file_safety_test.cpp.
    const ToolRun missing = convert(dir.path("none.txt") + " --to " + dir.path("out.dxf"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("Unable to find any points in:\n\nnone.txt"), std::string::npos);

    // A command line the parser refuses exits 2; a point file holds nothing but points.
    EXPECT_EQ(convert(in + " --to x.dxf --as svg").exitCode, 2);
    EXPECT_EQ(convert(in + " --to x.txt --points").exitCode, 2);
}

TEST(CliInfo, SkippedLinesFollowThePointCount) {
    TempDir dir;
    const ToolRun info = runTool(kCli + " info " + dir.write("site.txt", std::string(kSurvey) + "5,N/A,1,1,E\r\n"));
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("points: 4\nskipped: 1\n"), std::string::npos) << info.output;
}

TEST(CliConvert, CoordinatesNear1e308AreRefusedAndNeverWrittenAsInf) {
    TempDir dir;
    const std::string in = dir.write("site.txt", std::string(kSurvey) + "5,1e308,-1e308,1e308,HUGE\r\n");
    const ToolRun dxf = convert(in + " --to " + dir.path("out.dxf"));
    ASSERT_EQ(dxf.exitCode, 0) << dxf.output;
    const std::string drawing = readFile(dir.path("out.dxf"));
    EXPECT_EQ(drawing.find("inf"), std::string::npos);
    EXPECT_EQ(drawing.find("HUGE"), std::string::npos);

    const ToolRun onlyHuge = convert(dir.write("huge.txt", "1,1e308,1e308,1e308,A\r\n") + " --to " + dir.path("h.dxf"));
    EXPECT_EQ(onlyHuge.exitCode, 1);
    EXPECT_NE(onlyHuge.output.find("Unable to find any points in:"), std::string::npos);
}

// The picture `options` make of `site`, rendered into `name` in `dir`.
std::string rendered(const TempDir& dir, const std::string& site, const std::string& name, const std::string& options) {
    const ToolRun run = runTool(kCli + " render " + site + " --out " + dir.path(name) + options);
    EXPECT_EQ(run.exitCode, 0) << options << run.output;
    return readFile(dir.path(name));
}

// The colours a PNG file stores in its palette chunk, 3 bytes each.
std::string pngPalette(const std::string& png) {
    const std::size_t at = png.find("PLTE");
    if (at < 4 || at == std::string::npos) return {};
    const auto length = static_cast<std::size_t>(static_cast<unsigned char>(png[at - 2]) << 8 |
                                                 static_cast<unsigned char>(png[at - 1]));
    return png.substr(at + 4, length);
}

// Points and labels asked for stay shown after the surface build; the camera
// options, surface modes and a texture each make another picture.
TEST(CliRender, EveryLayerCameraAndTextureOptionChangesThePicture) {
    TempDir dir;
    const std::string site = dir.write("site.txt", kSurvey);
    const auto render = [&](const std::string& name, const std::string& options) {
        return rendered(dir, site, name, " --size 160x120" + options);
    };
    const std::string plain = render("plain.png", ""), points = render("points.png", " --points"),
                      labels = render("labels.png", " --labels");
    ASSERT_FALSE(plain.empty());
    EXPECT_NE(points, plain);
    EXPECT_NE(labels, points);
    EXPECT_NE(render("plan.png", " --view plan"), plain);
    EXPECT_NE(render("orbit.png", " --orbit 90,10 --zoom 0.8 --light 2"), plain);
    const std::string radial = render("radial.png", " --surface-mode 3");
    EXPECT_NE(radial, plain);
    EXPECT_EQ(pngPalette(radial), pngPalette(plain));  // the radial pattern uses the site's colours

    const std::string picture = sharedData("bmp/pal8.bmp");
    if (picture.empty()) GTEST_SKIP() << "shared data folder not present";
    const std::string swirl = render("swirl.png", " --texture " + picture);
    EXPECT_NE(swirl, plain);
    EXPECT_NE(render("image.png", " --texture " + picture + " --surface-mode 5"), swirl);
    // The file keeps the picture's colour table (BMP entries are blue, green, red, 0).
    const std::string bmp = readFile(picture);
    const std::string palette = pngPalette(swirl);
    ASSERT_GE(palette.size(), 3u * 200);
    for (std::size_t i = 0; i < 200; ++i) {
        EXPECT_EQ(palette[3 * i], bmp[54 + 4 * i + 2]) << i;
        EXPECT_EQ(palette[3 * i + 2], bmp[54 + 4 * i]) << i;
    }
    EXPECT_NE(pngPalette(plain), palette);
}

TEST(CliRender, ATextureThatCannotBeUsedFailsTheCommand) {
    TempDir dir;
    const std::string site = dir.write("site.txt", kSurvey);
    std::string rgb(54, '\0');
    rgb[0] = 'B', rgb[1] = 'M', rgb[2] = 54, rgb[14] = 40, rgb[18] = 1, rgb[22] = 1, rgb[28] = 24;
    const std::string photo = dir.write("photo.bmp", rgb);
    const std::string out = dir.path("out.png");
    const ToolRun deep = runTool(kCli + " render " + site + " --out " + out + " --texture " + photo);
    EXPECT_EQ(deep.exitCode, 1);
    EXPECT_NE(deep.output.find("is not a 256 color image"), std::string::npos) << deep.output;
    const ToolRun missing = runTool(kCli + " render " + site + " --out " + out + " --texture " + dir.path("none.bmp"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find(dir.path("none.bmp")), std::string::npos) << missing.output;
    EXPECT_TRUE(readFile(out).empty());  // no picture written
    // Only render takes a texture.
    EXPECT_EQ(runTool(kCli + " convert " + site + " --to " + dir.path("o.dxf") + " --texture " + photo).exitCode, 2);
}

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
    const auto render = [&](const std::string& name, const std::string& seed) {
        return rendered(dir, site, name, " --size 320x240 --rain 2 --seed " + seed);
    };
    const std::string once = render("once.png", "3");
    EXPECT_FALSE(once.empty());
    EXPECT_EQ(render("again.png", "3"), once);
    EXPECT_NE(render("other.png", "4"), once);
}

}  // namespace
}  // namespace vellacor
