#include <gtest/gtest.h>

#include "import/text_scanner.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

// Reads every number of `text` the way "%lf" followed by one separator does.
std::vector<double> numbers(const std::string& text) {
    testing::TempDir dir;
    TextSource source;
    EXPECT_TRUE(source.open(dir.write("n.txt", text)));
    TextScanner in(source);
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
    EXPECT_EQ(numbers(std::string(5000, '9')), (std::vector<double>{}));  // no number is that long
}

TEST(TextScanner, IntegersAndCrLfAcrossTheBufferBoundary) {
    testing::TempDir dir;
    // Put a CR LF pair exactly across the 1 MiB read boundary.
    std::string text(1 << 20, ' ');
    text[(1 << 20) - 1] = '\r';
    text += "\n42 99999999999 7";
    TextSource source;
    ASSERT_TRUE(source.open(dir.write("i.txt", text)));
    TextScanner in(source);
    std::int32_t v = 0;
    ASSERT_TRUE(in.readInteger(v));
    EXPECT_EQ(v, 42);
    EXPECT_FALSE(in.readInteger(v));  // does not fit 32 bits

    std::string line(1 << 20, 'x');
    line[(1 << 20) - 2] = '\r';
    line[(1 << 20) - 1] = '\r';
    TextSource s2;
    ASSERT_TRUE(s2.open(dir.write("l.txt", "ab\r" + line.substr(3) + "\nnext")));
    TextScanner in2(s2);
    std::string kept;
    in2.readRestOfLine(kept, 50);
    EXPECT_EQ(kept.substr(0, 3), "ab\r");  // a lone CR is text
    EXPECT_EQ(s2.get(), '\n');
    EXPECT_EQ(s2.get(), 'n');
}

}  // namespace
}  // namespace vellacor
