#include "import/mapped_file.h"

#include <cstdint>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

namespace vellacor {

MappedFile::~MappedFile() {
    if (mapped_) ::munmap(const_cast<char*>(mapped_), size_);
}

bool MappedFile::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    // A regular file of size 0 may still have something to read (the files
    // of /proc), and a file system may refuse to map: both are read instead.
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        void* map = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            mapped_ = static_cast<const char*>(map);
            size_ = static_cast<std::size_t>(info.st_size);
            ::madvise(map, size_, MADV_SEQUENTIAL);
            ::close(fd);
            return true;
        }
    }
    bool ok = true;
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got == 0) break;
        if (got < 0) {
            ok = false;  // a directory, a read error
            break;
        }
        buffer_.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return ok;
}

void MappedFile::release(std::size_t offset) {
    if (!mapped_) return;
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t end = offset / page * page;
    if (end < released_) released_ = 0;  // a new pass from the start
    if (end <= released_) return;
    ::madvise(const_cast<char*>(mapped_) + released_, end - released_, MADV_DONTNEED);
    released_ = end;
}

void MappedFile::releaseRange(std::size_t from, std::size_t to) {
    if (!mapped_) return;
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t begin = (from + page - 1) / page * page;
    const std::size_t end = std::min(to, size_) / page * page;
    if (end > begin) ::madvise(const_cast<char*>(mapped_) + begin, end - begin, MADV_DONTNEED);
}

std::string fileHead(const std::string& path, std::size_t count) {
    std::string head(count, '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(head.data(), static_cast<std::streamsize>(count));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head;
}

}  // namespace vellacor
