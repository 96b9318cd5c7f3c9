#include <gtest/gtest.h>

#include "run_tool.h"
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

    const ToolRun full = convert(in + " --to /dev/full --as landxml");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.output, "Unable to write file:\n\n/dev/full\n");

    const ToolRun missing = convert(dir.path("none.txt") + " --to " + dir.path("out.dxf"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("Unable to find any points in:\n\nnone.txt"), std::string::npos);

    for (const char* bad : {"--to", "--interval 0", "--smoothing 1,5", "--as svg", "--points"}) {
        const std::string out = std::string(bad) == "--points" ? " --to x.txt " : " --to x.dxf ";
        EXPECT_EQ(convert(in + out + bad).exitCode, 2) << bad;
    }
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

TEST(CliRender, PointsAndLabelsAskedForStayShownAfterTheSurfaceBuild) {
    TempDir dir;
    const std::string site = dir.write("site.txt", kSurvey);
    auto render = [&](const std::string& name, const std::string& layers) {
        const std::string out = dir.path(name);
        const ToolRun run = runTool(kCli + " render " + site + " --size 160x120 --out " + out + layers);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return readFile(out);
    };
    const std::string plain = render("plain.png", ""), points = render("points.png", " --points"),
                      labels = render("labels.png", " --labels");
    ASSERT_FALSE(plain.empty());
    EXPECT_NE(points, plain);
    EXPECT_NE(labels, points);
    // The camera options frame another picture.
    EXPECT_NE(render("plan.png", " --view plan"), plain);
    EXPECT_NE(render("orbit.png", " --orbit 90,10 --zoom 0.8 --light 2"), plain);
}

}  // namespace
}  // namespace vellacor
