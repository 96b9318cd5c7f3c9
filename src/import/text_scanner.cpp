#include "import/text_scanner.h"

#include <cstring>

namespace vellacor {

std::string_view TextScanner::restOfLine() {
    const std::size_t start = pos_;
    const void* lf = std::memchr(text_.data() + start, '\n', text_.size() - start);
    pos_ = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text_.data()) : text_.size();
    std::size_t length = pos_ - start;
    if (length > 0 && text_[start + length - 1] == '\r') --length;
    return text_.substr(start, length);
}

void TextScanner::skipLine() {
    restOfLine();
    if (pos_ < text_.size()) ++pos_;
}

}  // namespace vellacor
