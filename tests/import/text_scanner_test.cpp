#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "import/line_count.h"
#include "import/text_scanner.h"

namespace vellacor {
namespace {

// Reads every number of `text` the way "%lf" followed by one separator does.
std::vector<double> numbers(const std::string& text) {
    TextScanner in(text);
    std::vector<double> out;
    double v;
    while (in.readNumber(v)) {
        out.push_back(v);
        in.skipChar();
    }
    return out;
}

TEST(TextScanner, DecimalFormsThatFormattedInputAccepts) {
    EXPECT_EQ(numbers("1. .5 +3 -0 1e5 2.5E-1 7"), (std::vector<double>{1, 0.5, 3, 0, 1e5, 0.25, 7}));
    EXPECT_EQ(numbers("  \r\n\t12.5,13"), (std::vector<double>{12.5, 13}));
}

TEST(TextScanner, NonFiniteAndNonNumbersStopReading) {
    EXPECT_EQ(numbers("1 nan 2"), (std::vector<double>{1}));
    EXPECT_EQ(numbers("1 inf 2"), (std::vector<double>{1}));
    EXPECT_EQ(numbers("1 1e400 2"), (std::vector<double>{1}));
    EXPECT_EQ(numbers("1 - 2"), (std::vector<double>{1}));
    EXPECT_EQ(numbers(std::string(5000, '9')), (std::vector<double>{}));
}

TEST(TextScanner, IntegersAndLineEnds) {
    TextScanner in("42 99999999999 7");
    std::int32_t v = 0;
    ASSERT_TRUE(in.readInteger(v));
    EXPECT_EQ(v, 42);
    EXPECT_FALSE(in.readInteger(v));  // does not fit 32 bits

    // A CR LF pair is one separator; a lone CR is text; a CR at the very end is the line end's.
    TextScanner lines("\r\nab\rc\r\nnext\r");
    EXPECT_TRUE(lines.skipChar());
    EXPECT_EQ(lines.restOfLine(), "ab\rc");
    lines.skipLine();
    EXPECT_EQ(lines.restOfLine(), "next");
    EXPECT_TRUE(lines.atEnd());
}

// Every start and length about the eight-byte steps, over bytes one bit or
// the high bit away from an LF.
TEST(LineCount, CountsWhatStdCountCounts) {
    std::mt19937 rng(11);
    const std::string alphabet("\n\n\x8A\x0B\x0E\x2A\x00\xFF\r ", 10);
    std::string text;
    for (int i = 0; i < 4000; ++i) text += alphabet[rng() % alphabet.size()];
    for (std::size_t start = 0; start < 9; ++start)
        for (std::size_t length = 0; start + length <= text.size(); length += 1 + length / 8) {
            const std::string_view part = std::string_view(text).substr(start, length);
            ASSERT_EQ(countLineFeeds(part), static_cast<std::size_t>(std::count(part.begin(), part.end(), '\n')));
        }
}

}  // namespace
}  // namespace vellacor
