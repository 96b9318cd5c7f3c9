#pragma once
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "import/plain_decimal.h"

namespace vellacor {

// Formatted input over a file's bytes in memory, as "%ld", "%lf" and "%c"
// read a file that Windows opened "as text": a CR LF pair reads as one LF.
// Locale-independent. Non-finite numbers (nan, inf, overflow) never read: the
// caller sees a field that does not parse.
class TextScanner {
public:
    explicit TextScanner(std::string_view text) : text_(text) {}

    // Inline, below: point files call them for every field.
    bool readInteger(std::int32_t& value);  // "%ld" into a 32-bit number
    bool readNumber(double& value);         // "%lf"
    // "%c": exactly one character, whatever it is.
    bool skipChar() {
        if (pos_ >= text_.size()) return false;
        if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
        return true;
    }
    // Everything up to, not including, the next LF (or the end). A CR that
    // ends it, before the LF or at the end of the file, is the line end's.
    std::string_view restOfLine();
    void skipLine();   // up to and including the next LF
    // Spaces, tabs and line ends (the white space of "%ld" and "%lf").
    void skipSpace() {
        while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    // The next character ends the line: LF, CR LF, or the end of the text.
    bool atLineEnd() const {
        return atEnd() || text_[pos_] == '\n' || (text_[pos_] == '\r' && (pos_ + 1 == text_.size() || text_[pos_ + 1] == '\n'));
    }

    std::size_t offset() const { return pos_; }
    void seek(std::size_t offset) { pos_ = offset; }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

    std::string_view text_;
    std::size_t pos_ = 0;
};

inline bool TextScanner::readInteger(std::int32_t& value) {
    skipSpace();
    const char* p = text_.data() + pos_;
    const char* end = text_.data() + text_.size();
    const char* first = p;
    if (first < end && *first == '+') ++first;  // from_chars takes no '+'
    const char* digits = first < end && *first == '-' ? first + 1 : first;
    if (digits >= end || !plain_digits::isDigit(*digits)) {
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

inline bool TextScanner::readNumber(double& value) {
    skipSpace();
    const char* p = text_.data() + pos_;
    const char* end = text_.data() + text_.size();
    const char* first = p;
    if (first < end && *first == '+') ++first;
    // Only decimal notation counts: from_chars would also take "inf" and
    // "nan", which are no coordinates.
    const char* q = first < end && *first == '-' ? first + 1 : first;
    if (q < end && *q == '.') ++q;
    if (q >= end || !plain_digits::isDigit(*q)) {
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

}  // namespace vellacor
