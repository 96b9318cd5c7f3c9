#include "model/number_text.h"

#include <charconv>

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

void appendFixed(std::string& out, double x, int decimals) { appendChars(out, x, std::chars_format::fixed, decimals); }

std::string fixedText(double x, int decimals) {
    std::string out;
    appendFixed(out, x, decimals);
    return out;
}

void appendGeneral(std::string& out, double x, int significant) {
    appendChars(out, x, std::chars_format::general, significant);
}

std::string generalText(double x, int significant) {
    std::string out;
    appendGeneral(out, x, significant);
    return out;
}

void appendInteger(std::string& out, long long value) {
    char buffer[24];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec == std::errc()) out.append(buffer, end);
}

}  // namespace vellacor
