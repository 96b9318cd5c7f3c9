#include "import/text_scanner.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "import/plain_decimal.h"

namespace vellacor {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

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
    if (const char* stop = readPlainInteger(first, end, wide)) {
        pos_ += static_cast<std::size_t>(stop - p);
    } else {
        const auto [fromCharsStop, ec] = std::from_chars(first, end, wide);
        pos_ += static_cast<std::size_t>(fromCharsStop - p);
        if (ec != std::errc()) return false;
    }
    if (wide < INT32_MIN || wide > INT32_MAX) return false;
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
    if (const char* stop = readPlainDecimal(first, end, value)) {  // always finite
        pos_ += static_cast<std::size_t>(stop - p);
        return true;
    }
    const auto [stop, ec] = std::from_chars(first, end, value, std::chars_format::general);
    pos_ += static_cast<std::size_t>(stop - p);
    return ec == std::errc() && std::isfinite(value);
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
