#include "export/number_format.h"

#include <charconv>
#include <cmath>

namespace vellacor {

namespace {

// Room for the widest fixed-notation double (309 digits) and its decimals.
constexpr std::size_t kNumberBuffer = 400;

void appendChars(std::string& out, double x, std::chars_format format, int precision) {
    char buffer[kNumberBuffer];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x, format, precision);
    if (ec == std::errc()) out.append(buffer, end);
}

}  // namespace

void appendFormattedNumber(std::string& out, double x) {
    if (std::fabs(std::fmod(x, 1.0)) < 0.001) {
        double whole = std::trunc(x);
        if (whole == 0) whole = 0;  // -0.0004 is written "0", not "-0"
        // Whole numbers beyond the 64-bit range are written digit for digit too.
        if (std::fabs(whole) < 1e18)
            appendWholeNumber(out, static_cast<long long>(whole));
        else
            appendChars(out, whole, std::chars_format::fixed, 0);
        return;
    }
    appendChars(out, x, std::chars_format::general, 15);
}

std::string formatNumber(double x) {
    std::string out;
    appendFormattedNumber(out, x);
    return out;
}

void appendSixDecimals(std::string& out, double x) { appendChars(out, x, std::chars_format::fixed, 6); }

void appendWholeNumber(std::string& out, long long value) {
    char buffer[24];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec == std::errc()) out.append(buffer, end);
}

}  // namespace vellacor
