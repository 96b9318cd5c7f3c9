#pragma once
#include <cstdio>
#include <string>

namespace vellacor {

// Writes a file so that a failure part-way can never cost the file it
// replaces: the text goes to a new file in the same folder, which takes the
// target's place by a rename only once it is whole and on the disk. Until
// commit() succeeds the target is untouched, and the new file is removed
// whenever anything fails (or the replacement is dropped uncommitted).
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
    void discard();

    std::string target_;
    std::string temporary_;  // empty when writing in place
    std::FILE* file_ = nullptr;
};

}  // namespace vellacor
