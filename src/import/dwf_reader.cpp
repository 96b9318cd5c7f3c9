#include "import/dwf_reader.h"

#include <charconv>
#include <cmath>

#include "import/mapped_file.h"
#include "platform/ui.h"

namespace vellacor {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kCircleVertices = 51;
constexpr std::size_t kLeastCircleBudget = 1'000'000;

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

class DwfBuilder {
public:
    explicit DwfBuilder(std::size_t size) : circleBudget_(std::max(size, kLeastCircleBudget)) {}

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
            points(in, 2);
        } else if (op == 'R') {
            circle(in);
        } else if (const std::optional<long> n = in.whole(); n && *n > 0) {
            std::vector<Vec3> v = readPoints(in, *n);
            if (op == 'T')
                triangles(v);
            else
                add(std::move(v));
        }
    }

    std::vector<CadLine> lines;

private:
    // Up to n pairs; the count is the file's, so it only bounds the reading.
    static std::vector<Vec3> readPoints(DwfScanner& in, long n) {
        std::vector<Vec3> v;
        for (long i = 0; i < n; ++i) {
            const std::optional<Vec3> p = in.pair();
            if (!p) break;
            v.push_back(*p);
        }
        return v;
    }

    void points(DwfScanner& in, long n) { add(readPoints(in, n)); }

    void add(std::vector<Vec3> v) {
        if (v.size() >= 2) lines.push_back({colour_, std::move(v)});
    }

    void triangles(const std::vector<Vec3>& v) {
        for (std::size_t i = 0; i + 2 < v.size(); ++i) add({v[i], v[i + 1], v[i + 2], v[i]});
    }

    void circle(DwfScanner& in) {
        const std::optional<Vec3> centre = in.pair();
        const std::optional<long> radius = centre ? in.whole() : std::nullopt;
        if (!radius || circleBudget_ < kCircleVertices) return;
        circleBudget_ -= kCircleVertices;
        std::vector<Vec3> v;
        v.reserve(kCircleVertices);
        const double r = static_cast<double>(*radius);
        for (int k = 0; k < kCircleVertices - 1; ++k) {
            const double theta = k * kTwoPi / (kCircleVertices - 1);
            v.push_back({centre->x + r * std::cos(theta), centre->y + r * std::sin(theta), 0.0});
        }
        v.push_back(v.front());
        add(std::move(v));
    }

    std::uint8_t colour_ = 7;
    std::size_t circleBudget_;
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
    while (!in.atEnd()) builder.opcode(in.take(), in);
    return std::move(builder.lines);
}

std::optional<std::vector<CadLine>> readDwfFile(Ui& ui, const std::string& path) {
    MappedFile file;
    std::optional<std::vector<CadLine>> lines;
    if (file.open(path)) lines = readDwfText(file.bytes());
    if (!lines) ui.message(kNotAsciiDwfMessage);
    return lines;
}

}  // namespace vellacor
