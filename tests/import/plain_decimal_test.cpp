#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

#include "import/plain_decimal.h"

namespace vellacor {
namespace {

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
