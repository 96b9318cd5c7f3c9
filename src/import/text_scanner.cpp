#include "import/text_scanner.h"

#include <charconv>
#include <cmath>

namespace vellacor {

namespace {
constexpr std::size_t kChunk = 1 << 20;
// A field longer than this is no number any survey file holds; refusing it
// keeps a file of one endless line from costing unbounded memory.
constexpr std::size_t kLongestNumber = 512;

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
}  // namespace

TextSource::~TextSource() {
    if (file_) std::fclose(file_);
}

bool TextSource::open(const std::string& path) {
    if (file_) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) return false;
    buffer_.resize(kChunk);
    pos_ = end_ = 0;
    skipCr_ = false;
    return true;
}

void TextSource::rewind() {
    if (!file_) return;
    std::rewind(file_);
    pos_ = end_ = 0;
    skipCr_ = false;
}

bool TextSource::refill() {
    if (!file_) return false;
    // Keep one unread byte so that a CR at the end of a chunk can see its LF.
    std::size_t kept = 0;
    if (pos_ < end_) {
        buffer_[0] = buffer_[pos_];
        kept = 1;
    }
    pos_ = 0;
    end_ = kept + std::fread(buffer_.data() + kept, 1, buffer_.size() - kept, file_);
    return end_ > 0;
}

int TextSource::crTranslated() {
    // pos_ is at a CR. A CR followed by LF reads as the LF.
    if (pos_ + 1 >= end_) {
        refill();  // moves the CR to the front
    }
    if (pos_ + 1 < end_ && buffer_[pos_ + 1] == '\n') {
        skipCr_ = true;
        return '\n';
    }
    return '\r';
}

void TextSource::skipByteOrderMark() {
    if (pos_ != 0 || !file_) return;
    if (end_ < 3) {
        // Fill the buffer once so the first three bytes can be looked at.
        if (end_ == 0 && !refill()) return;
    }
    if (end_ >= 3 && static_cast<unsigned char>(buffer_[0]) == 0xEF && static_cast<unsigned char>(buffer_[1]) == 0xBB &&
        static_cast<unsigned char>(buffer_[2]) == 0xBF)
        pos_ = 3;
}

void TextScanner::skipSpace() {
    while (isSpace(in_.peek())) in_.get();
}

bool TextScanner::readInteger(std::int32_t& value) {
    skipSpace();
    token_.clear();
    int c = in_.peek();
    if (c == '+' || c == '-') {
        token_.push_back(static_cast<char>(in_.get()));
        c = in_.peek();
    }
    if (!isDigit(c)) return false;
    while (isDigit(in_.peek())) {
        const int d = in_.get();
        if (token_.size() < kLongestNumber) token_.push_back(static_cast<char>(d));
    }
    if (token_.size() >= kLongestNumber) return false;
    const char* first = token_.data();
    if (*first == '+') ++first;
    std::int64_t wide = 0;
    auto [end, ec] = std::from_chars(first, token_.data() + token_.size(), wide);
    if (ec != std::errc() || end != token_.data() + token_.size()) return false;
    if (wide < INT32_MIN || wide > INT32_MAX) return false;
    value = static_cast<std::int32_t>(wide);
    return true;
}

bool TextScanner::readNumber(double& value) {
    skipSpace();
    token_.clear();
    auto take = [&] {
        const int c = in_.get();
        if (token_.size() < kLongestNumber) token_.push_back(static_cast<char>(c));
    };
    if (in_.peek() == '+' || in_.peek() == '-') take();
    std::size_t digits = 0;
    while (isDigit(in_.peek())) take(), ++digits;
    if (in_.peek() == '.') {
        take();
        while (isDigit(in_.peek())) take(), ++digits;
    }
    if (digits == 0) return false;
    if (in_.peek() == 'e' || in_.peek() == 'E') {
        // An exponent needs digits; "%lf" would not take "1e" alone either, but
        // it cannot push back two characters. We take the 'e' and, with no
        // digits after it, leave the mantissa as the number.
        take();
        if (in_.peek() == '+' || in_.peek() == '-') take();
        std::size_t expDigits = 0;
        while (isDigit(in_.peek())) take(), ++expDigits;
        if (expDigits == 0) {
            while (!token_.empty() && (token_.back() == 'e' || token_.back() == 'E' || token_.back() == '+' ||
                                       token_.back() == '-'))
                token_.pop_back();
        }
    }
    if (token_.size() >= kLongestNumber) return false;
    const char* first = token_.data();
    if (*first == '+') ++first;
    auto [end, ec] = std::from_chars(first, token_.data() + token_.size(), value);
    if (ec != std::errc() || end != token_.data() + token_.size()) return false;
    return std::isfinite(value);
}

bool TextScanner::readChar(int& c) {
    c = in_.get();
    return c >= 0;
}

void TextScanner::readRestOfLine(std::string& text, std::size_t keep) {
    text.clear();
    for (int c = in_.peek(); c >= 0 && c != '\n'; c = in_.peek()) {
        in_.get();
        if (text.size() < keep + 4) text.push_back(static_cast<char>(c));  // a few extra bytes for the UTF-8 cut
    }
}

void TextScanner::skipLine() {
    for (int c = in_.get(); c >= 0 && c != '\n'; c = in_.get()) {
    }
}

}  // namespace vellacor
