#pragma once
#include <cstdio>
#include <span>
#include <string>

namespace vellacor {

class FileReplacement;

// Renames a file over another as rename(2) does: the step of a commit that
// puts a new file in its target's place, which a test may make fail.
using RenameFunction = int (*)(const char* from, const char* to);
int renameFile(const char* from, const char* to);

// Commits several replacements as one, for the files of one save (a
// shapefile's five): each new file takes its target's place in turn, the old
// one kept under a hidden name until all have. When any step fails, the
// targets already replaced get their old files back (a target that did not
// exist goes again), so every target is as it was and every new file gone.
bool commitTogether(std::span<FileReplacement* const> replacements, RenameFunction rename = renameFile);

// Writes a file so that a failure part-way can never cost the file it
// replaces: the text goes to a new file in the same folder, which takes the
// target's place by a rename only once it is whole and on the disk. Until
// commit() succeeds the target is untouched, and the new file is removed
// whenever anything fails (or the replacement is dropped uncommitted), and
// when SIGINT, SIGTERM or SIGHUP ends the program first. Making one first
// clears the folder of new files a killed save left (save_temporaries.h).
//
// A target that exists but is not a regular file (a device, a pipe) has
// nothing to lose and is written in place.
class FileReplacement {
public:
    explicit FileReplacement(const std::string& target);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The stream to write to; null when the target cannot be written (its
    // folder refuses a new file, or the target itself is read-only).
    std::FILE* file() const { return file_; }

    // Flushes, syncs and closes the new file, gives it the target's
    // permissions and renames it over the target. False, with the target as
    // it was and the new file gone, when any step fails.
    bool commit();

    // Closes and removes the new file, leaving the target as it was: for a
    // path that ends the program before the destructor could run.
    void abandon();

private:
    friend bool commitTogether(std::span<FileReplacement* const> replacements, RenameFunction rename);

    bool finishWriting();
    void discard();
    void forgetTemporary();

    std::string target_;
    std::string temporary_;  // empty when writing in place
    int temporaryMark_ = -1;
    std::FILE* file_ = nullptr;
};

}  // namespace vellacor
