#include "import/prj_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>

#include "model/trimmed_text.h"

namespace vellacor {

namespace {
constexpr std::uintmax_t kLargestPrjBytes = 64 * 1024;  // a WKT definition is a few kilobytes
}

std::string readCompanionCoordinateSystem(const std::string& pointFilePath) {
    std::filesystem::path prj(pointFilePath);
    prj.replace_extension(".prj");
    if (prj == std::filesystem::path(pointFilePath)) return {};
    // Only a file that really lies beside the points: a link could name any
    // file of the user's (a key, a password store), whose text would then be
    // shown and written into every file saved. O_NOFOLLOW refuses a link in
    // the one step that opens, so nothing can swap one in after a check;
    // O_NONBLOCK keeps a pipe of that name from holding the open.
    const int fd = ::open(prj.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    std::string read;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::uintmax_t>(info.st_size) <= kLargestPrjBytes) {
        read.resize(static_cast<std::size_t>(info.st_size));
        std::size_t got = 0;
        while (got < read.size()) {
            const ssize_t n = ::read(fd, read.data() + got, read.size() - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        read.resize(got);
    }
    ::close(fd);
    const std::string text(trimmed(read, " \t\r\n", " \t\r\n"));
    // Text only: a binary file beside the points is no coordinate system.
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') return {};
    return text;
}

}  // namespace vellacor
