// Saves of several files at once are all or nothing, and the hidden files of
// a save never outlive it: removed when a signal ends the program, and when
// a killed program left them, by the next save in that folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_replacement.h"
#include "model/save_temporaries.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::readFile;
using testing::TempDir;

using testing::endedProcess;
using testing::namesIn;

// The parts of a shapefile save, each holding `text` and its own name.
struct Parts {
    std::vector<std::unique_ptr<FileReplacement>> files;
    std::vector<FileReplacement*> group;
    Parts(const TempDir& dir, const std::vector<std::string>& names, const std::string& text) {
        for (const std::string& name : names) {
            files.push_back(std::make_unique<FileReplacement>(dir.path(name)));
            std::fputs((text + " " + name).c_str(), files.back()->file());
            group.push_back(files.back().get());
        }
    }
};

// The table, the third of the five parts, cannot take its place.
int tableRefused(const char* from, const char* to) {
    if (std::string_view(to).ends_with(".dbf")) {
        errno = EIO;
        return -1;
    }
    return ::rename(from, to);
}

TEST(SaveTogether, AFailedRenameGivesEveryPartItsOldFileBack) {
    TempDir dir;
    // The new save has a code page the old one lacked, and a rename failing
    // after two parts (one of them that new one) have taken their places.
    for (const char* name : {"site.shp", "site.shx", "site.dbf", "site.prj"})
        dir.write(name, std::string("old ") + name);
    ::chmod(dir.path("site.shp").c_str(), 0640);
    const std::vector<std::string> parts{"site.shp", "site.cpg", "site.dbf", "site.shx", "site.prj"};
    {
        Parts save(dir, parts, "new");
        EXPECT_FALSE(commitTogether(save.group, tableRefused));
    }
    EXPECT_EQ(namesIn(dir.path("")), (std::vector<std::string>{"site.dbf", "site.prj", "site.shp", "site.shx"}));
    for (const char* name : {"site.shp", "site.shx", "site.dbf", "site.prj"})
        EXPECT_EQ(readFile(dir.path(name)), std::string("old ") + name);
    struct stat info {};
    ::stat(dir.path("site.shp").c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // The same save without the fault replaces them all and leaves nothing else.
    {
        Parts save(dir, parts, "new");
        EXPECT_TRUE(commitTogether(save.group));
    }
    EXPECT_EQ(namesIn(dir.path("")),
              (std::vector<std::string>{"site.cpg", "site.dbf", "site.prj", "site.shp", "site.shx"}));
    for (const std::string& name : parts) EXPECT_EQ(readFile(dir.path(name)), "new " + name);
    ::stat(dir.path("site.shp").c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // A part that could not be written fails the group before any rename.
    {
        Parts save(dir, parts, "third");
        save.files[3] = std::make_unique<FileReplacement>(dir.path("no-folder/site.shx"));
        save.group[3] = save.files[3].get();
        EXPECT_FALSE(commitTogether(save.group));
    }
    for (const std::string& name : parts) EXPECT_EQ(readFile(dir.path(name)), "new " + name);
    EXPECT_EQ(namesIn(dir.path("")).size(), parts.size());
}

// A hidden save file named for `pid`, last written `age` ago.
std::string leftBy(const TempDir& dir, pid_t pid, int serial, std::chrono::seconds age) {
    const std::string path = dir.write(".vellacor-save-" + std::to_string(pid) + "-" + std::to_string(serial), "part");
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - age);
    return path;
}

TEST(SaveTemporaries, TheNextSaveInTheFolderRemovesWhatAKilledSaveLeft) {
    TempDir dir;
    const std::string target = dir.write("site.dxf", "old");
    const pid_t ended = endedProcess();
    const auto hour = std::chrono::hours(1);
    leftBy(dir, ended, 0, hour);
    leftBy(dir, ::getpid(), 999999, hour);  // this number's, from an earlier run
    // Kept: too fresh to be sure of, a running process's, and names not ours.
    leftBy(dir, ended, 1, std::chrono::seconds(0));
    leftBy(dir, ::getppid(), 0, hour);
    for (const char* name : {".vellacor-save-12x-0", ".vellacor-save--1", ".vellacor-save-7-", "vellacor-save-7-1"})
        std::filesystem::last_write_time(dir.write(name, "x"), std::filesystem::file_time_type::clock::now() - hour);
    const std::vector<std::string> before = namesIn(dir.path(""));

    FileReplacement save(target);
    ASSERT_NE(save.file(), nullptr);
    // This process's own save in progress is not taken for a stale one.
    std::vector<std::string> inProgress = namesIn(dir.path(""));
    std::erase_if(inProgress, [&](const std::string& name) { return std::ranges::count(before, name) > 0; });
    ASSERT_EQ(inProgress.size(), 1u);
    std::filesystem::last_write_time(dir.path(inProgress[0]), std::filesystem::file_time_type::clock::now() - hour);
    EXPECT_EQ(removeStaleSaveTemporaries(dir.path("")), 0);
    ASSERT_TRUE(save.commit());

    std::vector<std::string> expected{".vellacor-save--1",
                                      ".vellacor-save-12x-0",
                                      ".vellacor-save-" + std::to_string(::getppid()) + "-0",
                                      ".vellacor-save-" + std::to_string(ended) + "-1",
                                      ".vellacor-save-7-",
                                      "site.dxf",
                                      "vellacor-save-7-1"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(dir.path("")), expected);
}

TEST(SaveTemporaries, AtStartTheFoldersOfTheGivenPathsAreClearedOnce) {
    TempDir first, second, untouched;
    const auto hour = std::chrono::hours(1);
    const pid_t ended = endedProcess();
    leftBy(first, ended, 0, hour);
    leftBy(first, ended, 1, hour);
    leftBy(second, ended, 0, hour);
    const std::string kept = leftBy(untouched, ended, 0, hour);
    // A file's folder, a folder named with its slash, the same folder again, nothing.
    EXPECT_EQ(removeStaleSaveTemporariesBeside(
                  {first.path("site.txt"), second.path(""), first.path("other.dxf"), std::string()}),
              3);
    EXPECT_TRUE(namesIn(first.path("")).empty());
    EXPECT_TRUE(namesIn(second.path("")).empty());
    EXPECT_TRUE(std::filesystem::exists(kept));
}

TEST(SaveTemporariesDeathTest, ASignalEndingTheProgramTakesItsSavesInProgressWithIt) {
    TempDir dir;
    const std::string target = dir.write("site.tif", "old");
    for (const int signal : {SIGTERM, SIGINT}) {
        EXPECT_EXIT(
            {
                FileReplacement first(target);
                FileReplacement second(dir.path("site.tfw"));
                std::fputs("half", first.file());
                std::fflush(first.file());
                ::raise(signal);
            },
            ::testing::KilledBySignal(signal), "");
        EXPECT_EQ(namesIn(dir.path("")), std::vector<std::string>{"site.tif"});
        EXPECT_EQ(readFile(target), "old");
    }
}

}  // namespace
}  // namespace vellacor
