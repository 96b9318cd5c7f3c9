// Every kind of save, made to fail part-way by a file-size limit: the file it
// would have replaced is left byte for byte, nothing else is left beside it,
// and the tool says what failed.
#include <gtest/gtest.h>

#include <filesystem>

#include "run_tool.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using namespace testing;

const std::string kCli = VELLACOR_CLI;
const std::string kSite = VELLACOR_SAMPLES "/sample-site.txt";
const std::string kOld = "the user's good file\n";

// A kilobyte at most per file written; SIGXFSZ ignored so the write fails with EFBIG.
ToolRun runLimited(const std::string& args) {
    return runTool("bash -c \"trap '' XFSZ; ulimit -f 1; exec " + kCli + " " + args + "\"");
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SafeSave, AWriteThatFailsLeavesTheOldFileAsItWas) {
    struct Case {
        std::string file, args, message;
    };
    const std::string cut = " --from 10005,5100 --to 10100,5300 ";
    const Case cases[] = {
        {"site.dxf", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.xml", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.txt", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.gpkg", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.geojson", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.shp", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"site.tif", "convert " + kSite + " --to @", "Unable to write file:\n\n@"},
        {"cut.dxf", "section " + kSite + cut + "--out @", "Unable to write file:\n\n@"},
        {"cut.csv", "section " + kSite + cut + "--csv @", "Unable to write file:\n\n@"},
        {"view.png", "render " + kSite + " --size 320x200 --out @", "Unable to open file for writing!\n\n@"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string target = dir.write(c.file, kOld);
        const auto with = [&](std::string text) { return text.replace(text.find('@'), 1, target); };
        const ToolRun run = runLimited(with(c.args));
        EXPECT_EQ(run.exitCode, 1) << c.args << run.output;
        EXPECT_NE(run.output.find(with(c.message)), std::string::npos) << run.output;
        EXPECT_EQ(readFile(target), kOld) << c.args;
        EXPECT_EQ(namesIn(dir.path("")), std::vector<std::string>{c.file}) << c.args;

        // Without the limit the same save replaces the file and keeps its permissions.
        std::filesystem::permissions(target, std::filesystem::perms(0640));
        const ToolRun free = runTool(kCli + " " + with(c.args));
        EXPECT_EQ(free.exitCode, 0) << free.output;
        EXPECT_GT(readFile(target).size(), 1024u) << c.args;
        EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640)) << c.args;
        // A shapefile comes with its index, its table and the table's encoding.
        const std::vector<std::string> made = c.file == "site.shp"
                                                  ? std::vector<std::string>{"site.cpg", "site.dbf", "site.shp", "site.shx"}
                                                  : std::vector<std::string>{c.file};
        EXPECT_EQ(namesIn(dir.path("")), made) << c.args;
    }
}

// A small file system that fills up: the failure comes as "no space" rather
// than the size limit's. Mounting one needs the right to; elsewhere it is skipped.
TEST(SafeSave, AFullDiskLeavesTheOldFileAsItWas) {
    TempDir dir;
    const std::string disk = dir.path("disk");
    std::filesystem::create_directory(disk);
    if (runTool("mount -t tmpfs -o size=64k tmpfs '" + disk + "'").exitCode != 0)
        GTEST_SKIP() << "no right to mount a small file system";
    struct Unmount {
        std::string path;
        ~Unmount() { runTool("umount '" + path + "'"); }
    } unmount{disk};
    const std::string target = disk + "/site.dxf";
    {
        std::FILE* f = std::fopen(target.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(kOld.c_str(), f);
        std::fclose(f);
    }
    const ToolRun run = runTool(kCli + " convert " + kSite + " --to " + target);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_EQ(run.output, "Unable to write file:\n\n" + target + "\n");
    EXPECT_EQ(readFile(target), kOld);
    EXPECT_EQ(namesIn(disk), std::vector<std::string>{"site.dxf"});
}

}  // namespace
}  // namespace vellacor
