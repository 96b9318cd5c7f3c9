#include "import/text_scanner.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace vellacor {

namespace {
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

void TextScanner::skipSpace() {
    while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
}

bool TextScanner::readInteger(std::int32_t& value) {
    skipSpace();
    const char* p = text_.data() + pos_;
    const char* end = text_.data() + text_.size();
    const char* first = p;
    if (first < end && *first == '+') ++first;  // from_chars takes no '+'
    const char* digits = first < end && *first == '-' ? first + 1 : first;
    if (digits >= end || !isDigit(*digits)) {
        pos_ += static_cast<std::size_t>(digits - p);  // "%ld" has taken the sign before it gave up
        return false;
    }
    std::int64_t wide = 0;
    const auto [stop, ec] = std::from_chars(first, end, wide);
    pos_ += static_cast<std::size_t>(stop - p);
    if (ec != std::errc() || wide < INT32_MIN || wide > INT32_MAX) return false;
    value = static_cast<std::int32_t>(wide);
    return true;
}

bool TextScanner::readNumber(double& value) {
    skipSpace();
    const char* p = text_.data() + pos_;
    const char* end = text_.data() + text_.size();
    const char* first = p;
    if (first < end && *first == '+') ++first;
    // Only decimal notation counts: from_chars would also take "inf" and
    // "nan", which are no coordinates.
    const char* q = first < end && *first == '-' ? first + 1 : first;
    if (q < end && *q == '.') ++q;
    if (q >= end || !isDigit(*q)) {
        pos_ += static_cast<std::size_t>(q - p);
        return false;
    }
    const auto [stop, ec] = std::from_chars(first, end, value, std::chars_format::general);
    pos_ += static_cast<std::size_t>(stop - p);
    return ec == std::errc() && std::isfinite(value);
}

bool TextScanner::skipChar() {
    if (pos_ >= text_.size()) return false;
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    return true;
}

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
