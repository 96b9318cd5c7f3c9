#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace vellacor::testing {

// A fresh folder under the system temp folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes `bytes` exactly (no line-end translation) and returns the path.
    std::string write(const std::string& name, const std::string& bytes) const;
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

std::string readFile(const std::string& path);

// The names of the files in `folder`, sorted.
std::vector<std::string> namesIn(const std::string& folder);

// The number of a process that has ended.
int endedProcess();

// A hidden save file, in `dir`, of a process that has ended, last written an hour ago.
std::string killedSaveIn(const TempDir& dir);

// The folder of real files from other tools, or "" when it is not beside the project.
std::string sharedData(const std::string& relative);

}  // namespace vellacor::testing
