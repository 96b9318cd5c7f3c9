#include "export/file_sink.h"

namespace vellacor {

namespace {
constexpr std::size_t kPieceSize = 1 << 20;
}

FileSink::FileSink(std::FILE* file) : file_(file) { text.reserve(kPieceSize + (kPieceSize >> 3)); }

void FileSink::writeText() {
    if (ok_ && !text.empty()) ok_ = std::fwrite(text.data(), 1, text.size(), file_) == text.size();
    text.clear();
}

void FileSink::flushIfLarge() {
    if (text.size() >= kPieceSize) writeText();
}

bool FileSink::finish() {
    writeText();
    ok_ = ok_ && std::fflush(file_) == 0 && !std::ferror(file_);
    return ok_;
}

}  // namespace vellacor
