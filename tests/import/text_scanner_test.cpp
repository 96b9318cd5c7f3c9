// Numbers and lines as the text readers take them: the scanner, the quick
// decimal reader (checked against from_chars) and the line count.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "import/line_count.h"
#include "import/plain_decimal.h"
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

// The decimal forms formatted input accepts; what is not finite or no number stops reading.
TEST(TextScanner, DecimalFormsOfFormattedInputAndWhatStopsReading) {
    EXPECT_EQ(numbers("1. .5 +3 -0 1e5 2.5E-1 7"), (std::vector<double>{1, 0.5, 3, 0, 1e5, 0.25, 7}));
    EXPECT_EQ(numbers("  \r\n\t12.5,13"), (std::vector<double>{12.5, 13}));
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

// Whatever the quick readers take must be what from_chars makes of the same
// text, bit for bit and to the same end. Returns whether the decimal was taken.
bool readsAsFromChars(const std::string& text) {
    const char* end = text.data() + text.size();
    double quick = 0, library = 0;
    std::int64_t quickInteger = 0, libraryInteger = 0;
    if (const char* integerEnd = readPlainInteger(text.data(), end, quickInteger)) {
        EXPECT_EQ(std::from_chars(text.data(), end, libraryInteger).ptr, integerEnd) << text;
        EXPECT_EQ(quickInteger, libraryInteger) << text;
    }
    const char* quickEnd = readPlainDecimal(text.data(), end, quick);
    if (!quickEnd) return false;
    EXPECT_EQ(std::from_chars(text.data(), end, library).ptr, quickEnd) << text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(quick), std::bit_cast<std::uint64_t>(library)) << text;
    return true;
}

TEST(PlainDecimal, ReadsWhatFromCharsReads) {
    for (const char* text : {"507796.9100,", "-143.723\r\n", "-0", "5.,", "-.5", "0x1F", "9007199254740992"})
        EXPECT_TRUE(readsAsFromChars(text)) << text;
    // Past 2^53, past nineteen digits (leading zeros count), exponents: left to from_chars.
    for (const char* text : {"9007199254740993", "0.0000000000000000001", "2.5E-1", "5.e3", "."})
        EXPECT_FALSE(readsAsFromChars(text)) << text;
    // Digit runs of every length about the eight-byte steps and the limits,
    // zeros leading, followed by what files hold after a number or by nothing.
    std::mt19937_64 rng(7);
    const char* after[] = {"", ",", "\r\n", "e", "E+2", ".", "x"};
    int taken = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string text = rng() % 3 == 0 ? "-" : "";
        for (int run = rng() % 4 == 0 ? 1 : 2; run > 0; --run) {
            const std::size_t length = rng() % 22, zeros = rng() % 4 == 0 ? length / 2 : 0;
            for (std::size_t k = 0; k < length; ++k) text += k < zeros ? '0' : static_cast<char>('0' + rng() % 10);
            if (run == 2) text += '.';
        }
        taken += readsAsFromChars(text + after[rng() % 7]);
    }
    EXPECT_GT(taken, 50000);
}

}  // namespace
}  // namespace vellacor
