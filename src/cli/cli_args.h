#pragma once
#include <optional>
#include <string>

namespace vellacor {

// Whole text as a number, in any locale; nothing when it is not one or out of range.
std::optional<double> parseNumber(const std::string& text, double low, double high);

// The answers --format may give to the format question.
bool isPointLayoutName(const std::string& text);

// Prints the usage text; the exit code of a command line that does not parse.
int usageError();

}  // namespace vellacor
