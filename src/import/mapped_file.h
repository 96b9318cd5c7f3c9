#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vellacor {

// A whole file's bytes in memory. A regular file is mapped read-only, so
// reading it costs no copy and its pages stay in the page cache; anything
// else (a pipe, a device) is read into a buffer.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool open(const std::string& path);
    std::string_view bytes() const { return mapped_ ? std::string_view(mapped_, size_) : std::string_view(buffer_); }

    // The reader has gone past the bytes before `offset`: lets the kernel
    // take their pages out of this process (a later look at them maps them
    // again from the page cache), so a long file costs no resident memory.
    void release(std::size_t offset);
    // The same for the bytes in [from, to) alone (the pages wholly inside),
    // for readers that go through parts of the file at once.
    void releaseRange(std::size_t from, std::size_t to);

private:
    const char* mapped_ = nullptr;
    std::size_t size_ = 0;
    std::size_t released_ = 0;
    std::string buffer_;
};

// The first `count` bytes of a file, fewer when it is shorter, none when it
// cannot be read: enough to tell a format by its first bytes.
std::string fileHead(const std::string& path, std::size_t count);

}  // namespace vellacor
