#include "import/dwf_reader.h"

#include <charconv>
#include <cmath>

#include "import/mapped_file.h"

namespace vellacor {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kCircleVertices = 51;

class DwfScanner {
public:
    explicit DwfScanner(std::string_view text) : text_(text) {}

    bool atEnd() const { return at_ >= text_.size(); }
    char take() { return text_[at_++]; }
    bool nextIs(char c) const { return at_ < text_.size() && text_[at_] == c; }

    // "%ld": spaces first, then a whole number.
    std::optional<long> whole() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n'))
            ++at_;
        std::size_t from = at_;
        if (from < text_.size() && text_[from] == '+') ++from;
        long value = 0;
        const auto [stop, error] = std::from_chars(text_.data() + from, text_.data() + text_.size(), value);
        if (error != std::errc()) return std::nullopt;
        at_ = static_cast<std::size_t>(stop - text_.data());
        return value;
    }

    // "%ld", one separator character, "%ld".
    std::optional<Vec3> pair() {
        const std::optional<long> x = whole();
        if (!x || atEnd()) return std::nullopt;
        ++at_;
        const std::optional<long> y = whole();
        if (!y) return std::nullopt;
        return Vec3{static_cast<double>(*x), static_cast<double>(*y), 0.0};
    }

    // An extended opcode: everything up to its matching ")".
    void skipExtended() {
        for (int depth = 1; depth > 0 && !atEnd();) {
            const char c = take();
            if (c == '(') ++depth;
            if (c == ')') --depth;
        }
    }

    void skipTo(char c) {
        while (!atEnd() && take() != c) {
        }
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// What one entry costs: its record in the list (twice, for the list's spare
// room), the allocator's header of its vertex array, and its vertices.
std::size_t entryBytes(std::size_t vertices) { return 2 * sizeof(CadLine) + 16 + vertices * sizeof(Vec3); }

// The vertices of a strip of n >= 3 points drawn as one line along every edge
// of its triangles: along the strip, back over every second point, across the
// first edge again and forward over the other points (2 n + 1 at most).
std::size_t stripLength(std::size_t n) {
    const std::size_t back = (n - 1) / 2;
    const std::size_t otherStart = 1 - (n - 1) % 2;
    const std::size_t other = (n - otherStart + 1) / 2;
    return n + back + (other >= 2 ? other : 0);
}

class DwfBuilder {
public:
    explicit DwfBuilder(std::size_t size) : bytesLeft_(kBytesPerInputByte * size + kLeastBytes) {}

    // The lines kept may take this much memory, counted by entryBytes: a
    // drawing of circles (1.3 KB from 8 bytes each) or any crafted text
    // stops there, keeping what it has; real drawings come nowhere near.
    static constexpr std::size_t kBytesPerInputByte = 16;
    static constexpr std::size_t kLeastBytes = std::size_t{64} << 20;

    bool full() const { return full_; }

    void opcode(char op, DwfScanner& in) {
        if (op == '(') {
            in.skipExtended();
            return;
        }
        if (op == 'C') {
            if (!in.nextIs(' ')) {
                if (colour_ == 7) colour_ = 16;
                return;
            }
            if (const std::optional<long> index = in.whole()) colour_ = dwfColour(*index);
            return;
        }
        if ((op != 'L' && op != 'P' && op != 'T' && op != 'R' && op != 'M') || !in.nextIs(' ')) return;
        if (op == 'L') {
            polyline(in, 2);
        } else if (op == 'R') {
            circle(in);
        } else if (const std::optional<long> n = in.whole(); n && *n > 0) {
            if (op == 'T')
                strip(in, *n);
            else
                polyline(in, *n);
        }
    }

    std::vector<CadLine> lines;

private:
    // How many of the next n pairs can be read; the count is the file's, so
    // it only bounds the reading.
    static std::size_t readablePairs(DwfScanner in, long n) {
        std::size_t count = 0;
        for (long i = 0; i < n && in.pair(); ++i) ++count;
        return count;
    }

    // Room for an entry of this many vertices, taken from what is left.
    bool spend(std::size_t vertices) {
        const std::size_t bytes = entryBytes(vertices);
        if (full_ || bytes > bytesLeft_) {
            full_ = true;
            return false;
        }
        bytesLeft_ -= bytes;
        return true;
    }

    void polyline(DwfScanner& in, long n) {
        const std::size_t count = readablePairs(in, n);
        if (count < 2) {
            for (std::size_t i = 0; i < count; ++i) in.pair();
            return;
        }
        if (!spend(count)) return;
        std::vector<Vec3> v;
        v.reserve(count);
        for (std::size_t i = 0; i < count; ++i) v.push_back(*in.pair());
        lines.push_back({colour_, std::move(v)});
    }

    // "T": one triangle (a closed line of four vertices) or a strip of them.
    void strip(DwfScanner& in, long n) {
        const std::size_t count = readablePairs(in, n);
        if (count < 3) {
            for (std::size_t i = 0; i < count; ++i) in.pair();
            return;
        }
        const std::size_t total = stripLength(count);
        if (!spend(total)) return;
        std::vector<Vec3> v;
        v.reserve(total);
        for (std::size_t i = 0; i < count; ++i) v.push_back(*in.pair());
        const std::size_t last = count - 1;
        for (std::size_t i = last; i >= 2; i -= 2) v.push_back(v[i - 2]);
        const std::size_t otherStart = 1 - last % 2;
        if (otherStart + 2 < count)
            for (std::size_t i = otherStart; i < count; i += 2) v.push_back(v[i]);
        lines.push_back({colour_, std::move(v)});
    }

    void circle(DwfScanner& in) {
        const std::optional<Vec3> centre = in.pair();
        const std::optional<long> radius = centre ? in.whole() : std::nullopt;
        if (!radius || !spend(kCircleVertices)) return;
        std::vector<Vec3> v;
        v.reserve(kCircleVertices);
        const double r = static_cast<double>(*radius);
        for (int k = 0; k < kCircleVertices - 1; ++k) {
            const double theta = k * kTwoPi / (kCircleVertices - 1);
            v.push_back({centre->x + r * std::cos(theta), centre->y + r * std::sin(theta), 0.0});
        }
        v.push_back(v.front());
        lines.push_back({colour_, std::move(v)});
    }

    std::uint8_t colour_ = 7;
    std::size_t bytesLeft_;
    bool full_ = false;
};

}  // namespace

std::uint8_t dwfColour(long index) {
    static constexpr std::pair<long, std::uint8_t> table[] = {
        {15, 5},   {40, 3},   {45, 4},   {118, 14}, {125, 15}, {154, 12}, {168, 13},
        {190, 1},  {195, 6},  {204, 11}, {220, 2},  {236, 8},  {240, 9},
    };
    for (const auto& [i, colour] : table)
        if (i == index) return colour;
    return 16;
}

std::optional<std::vector<CadLine>> readDwfText(std::string_view text) {
    if (text.empty() || text.front() != '(') return std::nullopt;
    DwfScanner in(text);
    in.skipTo(')');  // the header
    DwfBuilder builder(text.size());
    while (!in.atEnd() && !builder.full()) builder.opcode(in.take(), in);
    return std::move(builder.lines);
}

DwfFileRead readDwfFile(const std::string& path) {
    DwfFileRead read;
    MappedFile file;
    if (file.open(path)) read.lines = readDwfText(file.bytes());
    if (!read.lines) read.diagnostics.messages.emplace_back(kNotAsciiDwfMessage);
    return read;
}

}  // namespace vellacor
