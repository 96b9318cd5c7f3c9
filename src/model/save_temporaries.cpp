#include "model/save_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <vector>

namespace vellacor {

namespace {

constexpr std::string_view kHiddenSaveName = ".vellacor-save-";
constexpr time_t kSpareSeconds = 60;

// The files a signal removes. A signal handler can reach nothing but
// process-wide storage, and may take no lock: each mark is a slot whose
// state moves by compare-and-swap, and a slot the handler has taken is never
// written again.
enum SlotState : int { kFree, kFilling, kHeld, kRemoving };
struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free);
constexpr int kSlots = 64;  // a shapefile save holds ten at once: five new files, five old
Slot slots[kSlots];

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeTemporariesAndEnd(int signal) {
    for (Slot& slot : slots) {
        int held = kHeld;
        if (slot.state.compare_exchange_strong(held, kRemoving)) ::unlink(slot.path);
    }
    // The signal then ends the program as it would have: it is blocked while
    // this runs, and delivered with its default action once this returns.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

void installHandlers() {
    for (const int signal : kEndingSignals) {
        struct sigaction current {};
        // A signal the program ignores or handles itself is left to it.
        if (::sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) ||
            current.sa_handler != SIG_DFL)
            continue;
        struct sigaction ours {};
        ours.sa_handler = removeTemporariesAndEnd;
        sigemptyset(&ours.sa_mask);
        for (const int other : kEndingSignals) sigaddset(&ours.sa_mask, other);
        ::sigaction(signal, &ours, nullptr);
    }
}

bool isHeld(const std::string& path) {
    for (const Slot& slot : slots)
        if (slot.state.load() == kHeld && path == slot.path) return true;
    return false;
}

// The process number in a hidden save name, or 0 when the name is not one.
pid_t processOfName(std::string_view name) {
    if (!name.starts_with(kHiddenSaveName)) return 0;
    name.remove_prefix(kHiddenSaveName.size());
    long long pid = 0, serial = 0;
    const auto [pidEnd, pidError] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (pidError != std::errc() || pidEnd == name.data() || pidEnd == name.data() + name.size() || *pidEnd != '-')
        return 0;
    const auto [serialEnd, serialError] = std::from_chars(pidEnd + 1, name.data() + name.size(), serial);
    if (serialError != std::errc() || serialEnd == pidEnd + 1 || serialEnd != name.data() + name.size()) return 0;
    return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

std::string absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.string();
}

}  // namespace

std::string saveTemporaryPrefix(const std::string& folder) {
    return folder + std::string(kHiddenSaveName) + std::to_string(::getpid()) + "-";
}

int rememberSaveTemporary(const std::string& path) {
    static std::once_flag installed;
    std::call_once(installed, installHandlers);
    // Held by its full name: the handler must not depend on the working folder.
    const std::string full = absolute(path);
    if (full.size() >= sizeof(Slot::path)) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int free = kFree;
        if (!slots[i].state.compare_exchange_strong(free, kFilling)) continue;
        std::memcpy(slots[i].path, full.c_str(), full.size() + 1);
        slots[i].state.store(kHeld);
        return i;
    }
    return -1;
}

void forgetSaveTemporary(int mark) {
    if (mark < 0 || mark >= kSlots) return;
    int held = kHeld;
    slots[mark].state.compare_exchange_strong(held, kFree);  // one a handler has taken stays taken
}

int removeStaleSaveTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return 0;
    const time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t pid = processOfName(entry->d_name);
        if (pid == 0) continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid() || now - info.st_mtime < kSpareSeconds)
            continue;
        if (pid == ::getpid()) {
            if (isHeld(absolute(folder + entry->d_name))) continue;  // named as when it was remembered
        } else if (::kill(pid, 0) == 0 || errno != ESRCH) {
            continue;  // running, or another user's
        }
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

int removeStaleSaveTemporariesBeside(const std::vector<std::string>& paths) {
    std::vector<std::string> folders;
    int removed = 0;
    for (const std::string& path : paths) {
        if (path.empty()) continue;
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        if (std::find(folders.begin(), folders.end(), folder) != folders.end()) continue;
        folders.push_back(folder);
        removed += removeStaleSaveTemporaries(folder);
    }
    return removed;
}

}  // namespace vellacor
