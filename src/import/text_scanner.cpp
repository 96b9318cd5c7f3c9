#include "import/text_scanner.h"

#include <charconv>
#include <cmath>
#include <cstring>

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
    // Keep the unread bytes (at most a few) at the front, then read a chunk.
    return ensure(end_ - pos_ + 1) > 0;
}

std::size_t TextSource::ensure(std::size_t n) {
    if (end_ - pos_ >= n || !file_) return end_ - pos_;
    const std::size_t kept = end_ - pos_;
    if (kept > 0 && pos_ > 0) std::memmove(buffer_.data(), buffer_.data() + pos_, kept);
    pos_ = 0;
    end_ = kept;
    while (end_ < n) {
        const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
        if (got == 0) break;
        end_ += got;
    }
    return end_;
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
    if (ensure(3) >= 3 && static_cast<unsigned char>(buffer_[0]) == 0xEF &&
        static_cast<unsigned char>(buffer_[1]) == 0xBB && static_cast<unsigned char>(buffer_[2]) == 0xBF)
        pos_ = 3;
}

void TextScanner::skipSpace() {
    while (isSpace(in_.peek())) in_.get();
}

bool TextScanner::readInteger(std::int32_t& value) {
    skipSpace();
    const std::size_t n = in_.ensure(kLongestNumber);
    const char* p = in_.cursor();
    const char* end = p + n;
    const char* first = p;
    if (first < end && *first == '+') ++first;  // from_chars takes no '+'
    const char* digits = first < end && *first == '-' ? first + 1 : first;
    if (digits >= end || !isDigit(static_cast<unsigned char>(*digits))) {
        // "%ld" has taken the sign before it gave up.
        in_.consume(static_cast<std::size_t>(digits - p));
        return false;
    }
    std::int64_t wide = 0;
    auto [stop, ec] = std::from_chars(first, end, wide);
    in_.consume(static_cast<std::size_t>(stop - p));
    if (ec != std::errc() || (stop == end && n >= kLongestNumber)) return false;  // overflow, or absurdly long
    if (wide < INT32_MIN || wide > INT32_MAX) return false;
    value = static_cast<std::int32_t>(wide);
    return true;
}

bool TextScanner::readNumber(double& value) {
    skipSpace();
    const std::size_t n = in_.ensure(kLongestNumber);
    const char* p = in_.cursor();
    const char* end = p + n;
    const char* first = p;
    if (first < end && *first == '+') ++first;
    // Only decimal notation counts: from_chars would also take "inf" and
    // "nan", which are no coordinates.
    const char* q = first < end && *first == '-' ? first + 1 : first;
    if (q < end && *q == '.') ++q;
    if (q >= end || !isDigit(static_cast<unsigned char>(*q))) {
        in_.consume(static_cast<std::size_t>(q - p));
        return false;
    }
    auto [stop, ec] = std::from_chars(first, end, value, std::chars_format::general);
    in_.consume(static_cast<std::size_t>(stop - p));
    if (ec != std::errc() || (stop == end && n >= kLongestNumber)) return false;
    return std::isfinite(value);
}

bool TextScanner::readChar(int& c) {
    c = in_.get();
    return c >= 0;
}

void TextScanner::readRestOfLine(std::string& text, std::size_t keep) {
    text.clear();
    for (;;) {
        const std::size_t n = in_.ensure(1);
        if (n == 0) return;
        const char* p = in_.cursor();
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', n));
        std::size_t len = lf ? static_cast<std::size_t>(lf - p) : n;
        // A CR at the end of a chunk may be half of a CR LF pair: leave it for the next round.
        if (!lf && p[len - 1] == '\r' && len > 1) --len;
        std::size_t take = len;
        if (lf && take > 0 && p[take - 1] == '\r') --take;  // CR LF reads as LF
        const std::size_t room = keep + 4 > text.size() ? keep + 4 - text.size() : 0;  // extra for the UTF-8 cut
        text.append(p, take < room ? take : room);
        if (lf) {
            in_.consume(len);  // leave the LF itself
            return;
        }
        if (len == 1 && p[0] == '\r') {
            // A lone CR at the very end of what is buffered: the slow path decides.
            const int c = in_.peek();
            if (c == '\n') return;
            in_.get();
            if (text.size() < keep + 4) text.push_back('\r');
            continue;
        }
        in_.consume(len);
    }
}

void TextScanner::skipLine() {
    for (;;) {
        const std::size_t n = in_.ensure(1);
        if (n == 0) return;
        const char* p = in_.cursor();
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', n));
        if (lf) {
            in_.consume(static_cast<std::size_t>(lf - p) + 1);
            return;
        }
        in_.consume(n);
    }
}

}  // namespace vellacor
