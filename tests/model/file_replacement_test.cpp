#include "model/file_replacement.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::readFile;
using testing::TempDir;

std::size_t filesIn(const std::string& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

unsigned modeOf(const std::string& path) {
    struct stat s {};
    ::stat(path.c_str(), &s);
    return s.st_mode & 07777;
}

TEST(FileReplacement, TakesTheTargetsPlaceOnlyWhenCommitted) {
    TempDir dir;
    const std::string target = dir.write("site.txt", "old");
    ::chmod(target.c_str(), 0640);
    {
        FileReplacement dropped(target);
        ASSERT_NE(dropped.file(), nullptr);
        std::fputs("half", dropped.file());
        std::fflush(dropped.file());
        EXPECT_EQ(readFile(target), "old");
    }
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(filesIn(dir.path("")), 1u);

    FileReplacement kept(target);
    std::fputs("new", kept.file());
    ASSERT_TRUE(kept.commit());
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(modeOf(target), 0640u);
    EXPECT_EQ(filesIn(dir.path("")), 1u);

    // Through a link the file it names is replaced and the link stays.
    const std::string link = dir.path("link.txt");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    FileReplacement viaLink(link);
    std::fputs("linked", viaLink.file());
    ASSERT_TRUE(viaLink.commit());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(target), "linked");
}

TEST(FileReplacement, RefusesWhatCouldNotBeOpenedAndWritesDevicesInPlace) {
    TempDir dir;
    EXPECT_EQ(FileReplacement(dir.path("no-folder/x.txt")).file(), nullptr);
    if (::geteuid() != 0) {  // root may write a read-only file anyway
        const std::string locked = dir.write("locked.txt", "old");
        ::chmod(locked.c_str(), 0444);
        EXPECT_EQ(FileReplacement(locked).file(), nullptr);
    }
    FileReplacement device("/dev/null");
    ASSERT_NE(device.file(), nullptr);
    std::fputs("x", device.file());
    EXPECT_TRUE(device.commit());
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace vellacor
