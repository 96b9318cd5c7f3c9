#include "model/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace vellacor {

namespace {

// The file a symbolic link names is the one to replace, not the link.
std::string resolvedTarget(const std::string& target) {
    char resolved[PATH_MAX];
    struct stat link {};
    if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && ::realpath(target.c_str(), resolved))
        return resolved;
    return target;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A new file beside the target, created exclusively so nothing else is ever
// opened by mistake; the mode 0666 lets the umask decide as for any new file.
int createBeside(const std::string& target, std::string& name) {
    static std::atomic<unsigned> counter{0};
    const std::string stem = folderOf(target) + ".vellacor-save-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + std::to_string(counter++);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

FileReplacement::FileReplacement(const std::string& target) : target_(resolvedTarget(target)) {
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        file_ = std::fopen(target_.c_str(), "wb");
        return;
    }
    // A file the user may not write stays refused, as opening it would be.
    if (exists && ::access(target_.c_str(), W_OK) != 0) return;
    const int fd = createBeside(target_, temporary_);
    if (fd < 0) {
        temporary_.clear();
        return;
    }
    if (exists) {
        (void)::fchown(fd, existing.st_uid, existing.st_gid);  // kept where allowed
        if (::fchmod(fd, existing.st_mode & 07777) != 0) {
            ::close(fd);
            discard();
            return;
        }
    }
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        discard();
    }
}

FileReplacement::~FileReplacement() { abandon(); }

void FileReplacement::abandon() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    discard();
}

void FileReplacement::discard() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool FileReplacement::commit() {
    if (!file_) return false;
    bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    if (!temporary_.empty()) ok = ok && ::fsync(::fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (temporary_.empty()) return ok;
    ok = ok && ::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        discard();
        return false;
    }
    temporary_.clear();
    // The rename reaches the disk with the folder's own entry.
    const std::string folder = folderOf(target_);
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace vellacor
