#pragma once
#include <string>
#include <vector>

namespace vellacor {

// The hidden files a save makes beside its targets, ".vellacor-save-PID-N":
// each new file while it is written, and each old one kept while a group of
// files takes its places. None should outlive the save that made it; these
// look after the ones a killed program leaves.

// The start of the name of each such file this process makes in `folder`
// (empty, or ending in a slash).
std::string saveTemporaryPrefix(const std::string& folder);

// Marks a file for removal should SIGINT, SIGTERM or SIGHUP end the program
// before it is forgotten again. The first call sets up the handler for each
// of those signals the program has left at its default. Returns the mark to
// forget it by: -1 when all are taken, and the file is then left for
// removeStaleSaveTemporaries.
int rememberSaveTemporary(const std::string& path);
void forgetSaveTemporary(int mark);

// Removes from `folder` (as above) the hidden save files, owned by this
// user and last written over a minute ago, of processes that are no longer
// running (or of this process's number that it does not hold: an earlier
// run's). The minute spares a save in progress in a process this one cannot
// see. Returns how many it removed.
int removeStaleSaveTemporaries(const std::string& folder);

// The same at start, for the folders the program is about to open from or
// save into: the folder of each path (a bare name's is the working folder;
// a path ending in a slash is itself a folder), each folder once, empty
// paths skipped. Returns how many it removed.
int removeStaleSaveTemporariesBeside(const std::vector<std::string>& paths);

}  // namespace vellacor
