#include "model/file_replacement.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <set>
#include <vector>

#include "model/save_temporaries.h"

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

// A hidden name beside the target that nothing has yet; `make` creates the
// file by it, exclusively, and fails with EEXIST when the name is taken.
template <class Make>
int makeBeside(const std::string& target, std::string& name, Make make) {
    static std::atomic<unsigned> counter{0};
    const std::string prefix = saveTemporaryPrefix(folderOf(target));
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix + std::to_string(counter++);
        const int result = make(name);
        if (result >= 0 || errno != EEXIST) return result;
    }
    return -1;
}

// A new file beside the target, created exclusively so nothing else is ever
// opened by mistake; the mode 0666 lets the umask decide as for any new file.
int createBeside(const std::string& target, std::string& name) {
    return makeBeside(target, name, [](const std::string& candidate) {
        return ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    });
}

void syncFolder(const std::string& folder) {
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

// The old file of one target while a group takes its places.
struct KeptOld {
    std::string target;
    std::string kept;  // empty when the target did not exist
    int mark = -1;
    bool movedAway = false;  // the target's name was given up for the kept one
    bool replaced = false;

    // A second name for the old file (a hard link), so the target always
    // exists; where the file system has no links, the old file is moved.
    bool keep() {
        struct stat existing {};
        if (::lstat(target.c_str(), &existing) != 0) return errno == ENOENT;
        int made = makeBeside(target, kept, [&](const std::string& name) { return ::link(target.c_str(), name.c_str()); });
        if (made != 0 && errno != EEXIST) {
            made = makeBeside(target, kept, [&](const std::string& name) {
                // A rename replaces silently: the name must be free.
                if (::access(name.c_str(), F_OK) == 0) {
                    errno = EEXIST;
                    return -1;
                }
                return ::rename(target.c_str(), name.c_str());
            });
            movedAway = made == 0;
        }
        if (made != 0) {
            kept.clear();
            return false;
        }
        mark = rememberSaveTemporary(kept);
        return true;
    }

    // The target as it was before the group began.
    void restore() {
        if (kept.empty()) {
            if (replaced) ::unlink(target.c_str());
        } else if (replaced || movedAway) {
            if (::rename(kept.c_str(), target.c_str()) != 0) {
                // The old file stays under its hidden name rather than be lost.
                forgetSaveTemporary(mark);
                return;
            }
        } else {
            ::unlink(kept.c_str());
        }
        forgetSaveTemporary(mark);
    }

    void drop() {
        if (!kept.empty()) ::unlink(kept.c_str());
        forgetSaveTemporary(mark);
    }
};

}  // namespace

int renameFile(const char* from, const char* to) { return ::rename(from, to); }

FileReplacement::FileReplacement(const std::string& target) : target_(resolvedTarget(target)) {
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        file_ = std::fopen(target_.c_str(), "wb");
        return;
    }
    // A file the user may not write stays refused, as opening it would be.
    if (exists && ::access(target_.c_str(), W_OK) != 0) return;
    removeStaleSaveTemporaries(folderOf(target_));
    const int fd = createBeside(target_, temporary_);
    if (fd < 0) {
        temporary_.clear();
        return;
    }
    temporaryMark_ = rememberSaveTemporary(temporary_);
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
    forgetTemporary();
}

void FileReplacement::forgetTemporary() {
    temporary_.clear();
    forgetSaveTemporary(temporaryMark_);
    temporaryMark_ = -1;
}

bool FileReplacement::finishWriting() {
    if (!file_) return false;
    bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    if (!temporary_.empty()) ok = ok && ::fsync(::fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
}

bool FileReplacement::commit() {
    FileReplacement* self = this;
    return commitTogether(std::span(&self, 1));
}

bool commitTogether(std::span<FileReplacement* const> replacements, RenameFunction rename) {
    bool ok = true;
    for (FileReplacement* r : replacements) ok = r->finishWriting() && ok;  // every one closed
    std::size_t renamed = 0;
    for (FileReplacement* r : replacements) renamed += r->temporary_.empty() ? 0 : 1;
    // One file takes its place in one rename: nothing to keep.
    const bool keepOld = renamed > 1;
    std::vector<KeptOld> steps;
    steps.reserve(renamed);
    for (FileReplacement* r : replacements) {
        if (!ok) break;
        if (r->temporary_.empty()) continue;
        KeptOld& step = steps.emplace_back();
        step.target = r->target_;
        ok = (!keepOld || step.keep()) && rename(r->temporary_.c_str(), r->target_.c_str()) == 0;
        step.replaced = ok;
        if (ok) r->forgetTemporary();
    }
    if (!ok) {
        for (auto step = steps.rbegin(); step != steps.rend(); ++step) step->restore();
        for (FileReplacement* r : replacements) r->discard();
        return false;
    }
    std::set<std::string> folders;
    for (KeptOld& step : steps) {
        step.drop();
        folders.insert(folderOf(step.target));
    }
    // The renames reach the disk with the folders' own entries.
    for (const std::string& folder : folders) syncFolder(folder);
    return true;
}

}  // namespace vellacor
