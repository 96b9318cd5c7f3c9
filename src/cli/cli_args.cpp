#include "cli/cli_args.h"

#include <charconv>
#include <cstdio>

#include "cli/cli_commands.h"

namespace vellacor {

std::optional<double> parseNumber(const std::string& text, double low, double high) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !(value >= low && value <= high)) return std::nullopt;
    return value;
}

bool isPointLayoutName(const std::string& text) { return text == "PNEZD" || text == "PENZD" || text == "XYZ"; }

int usageError() {
    std::fputs(cliUsage(), stderr);
    return 2;
}

}  // namespace vellacor
