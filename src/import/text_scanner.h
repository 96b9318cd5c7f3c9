#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vellacor {

// Reads a file as Windows opens one "as text": CR LF arrives as a single LF.
// It streams through a fixed buffer, so a file of any size costs the same
// memory, and rewinds for the readers' second pass.
class TextSource {
public:
    TextSource() = default;
    ~TextSource();
    TextSource(const TextSource&) = delete;
    TextSource& operator=(const TextSource&) = delete;

    bool open(const std::string& path);
    void rewind();

    // The next character, or -1 at the end of the file.
    int peek() {
        if (pos_ >= end_ && !refill()) return -1;
        const int c = static_cast<unsigned char>(buffer_[pos_]);
        if (c == '\r') return crTranslated();
        return c;
    }
    int get() {
        const int c = peek();
        if (c >= 0) advance();
        return c;
    }

    // Skips a UTF-8 byte order mark at the very start of the file.
    void skipByteOrderMark();

    // Raw access for the fast paths: makes at least `n` bytes contiguous at
    // the cursor unless the file ends first, and returns how many there are.
    // Callers only look at bytes that are never part of a CR LF pair.
    std::size_t ensure(std::size_t n);
    const char* cursor() const { return buffer_.data() + pos_; }
    void consume(std::size_t n) {
        pos_ += n;
        skipCr_ = false;
    }

private:
    bool refill();
    int crTranslated();
    void advance() {
        if (skipCr_) {
            ++pos_;  // the CR of a CR LF pair
            skipCr_ = false;
        }
        ++pos_;
    }

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool skipCr_ = false;
};

// Formatted input as "%ld", "%lf" and "%c" read it, locale-independent.
// Non-finite numbers (nan, inf, overflow) never read: the caller sees a field
// that does not parse.
class TextScanner {
public:
    explicit TextScanner(TextSource& source) : in_(source) {}

    bool readInteger(std::int32_t& value);  // "%ld" into a 32-bit number
    bool readNumber(double& value);         // "%lf"
    bool readChar(int& c);                  // "%c": exactly one character, whatever it is
    bool skipChar() {
        int c;
        return readChar(c);
    }
    // Everything up to, not including, the next LF (or the end): at most
    // `keep` bytes are stored in `text`, the rest of the line is skipped.
    void readRestOfLine(std::string& text, std::size_t keep);
    void skipLine();  // up to and including the next LF
    bool atEnd() { return in_.peek() < 0; }

private:
    void skipSpace();
    TextSource& in_;
};

}  // namespace vellacor
