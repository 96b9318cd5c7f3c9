#pragma once
#include <optional>
#include <string>

namespace vellacor {

// Whole text as a number, in any locale; nothing when it is not one or out of range.
std::optional<double> parseNumber(const std::string& text, double low, double high);

}  // namespace vellacor
