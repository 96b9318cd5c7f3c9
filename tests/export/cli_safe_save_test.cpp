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
        EXPECT_EQ(namesIn(dir.path("")), std::vector<std::string>{c.file}) << c.args;
    }
}

}  // namespace
}  // namespace vellacor
