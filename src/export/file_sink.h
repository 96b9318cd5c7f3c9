#pragma once
#include <cstdio>
#include <string>

namespace vellacor {

// Collects the text of a file being written and hands it to the file in large
// pieces. Once a write fails every later one is skipped, and finish() says so.
class FileSink {
public:
    explicit FileSink(std::FILE* file);

    // Append here, then call flushIfLarge() after each entity.
    std::string text;

    void flushIfLarge();
    // Writes what is left and flushes the stream; false when anything failed.
    bool finish();

private:
    void writeText();

    std::FILE* file_;
    bool ok_ = true;
};

}  // namespace vellacor
