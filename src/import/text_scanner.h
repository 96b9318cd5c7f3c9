#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vellacor {

// Formatted input over a file's bytes in memory, as "%ld", "%lf" and "%c"
// read a file that Windows opened "as text": a CR LF pair reads as one LF.
// Locale-independent. Non-finite numbers (nan, inf, overflow) never read: the
// caller sees a field that does not parse.
class TextScanner {
public:
    explicit TextScanner(std::string_view text) : text_(text) {}

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

}  // namespace vellacor
