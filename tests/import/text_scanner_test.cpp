#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace vellacor
