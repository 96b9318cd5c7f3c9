#pragma once
#include <string_view>

namespace vellacor {

// The text without the characters of `front` at its start and of `back` at its end.
inline std::string_view trimmed(std::string_view text, std::string_view front, std::string_view back) {
    while (!text.empty() && front.find(text.front()) != std::string_view::npos) text.remove_prefix(1);
    while (!text.empty() && back.find(text.back()) != std::string_view::npos) text.remove_suffix(1);
    return text;
}

// The text with the spaces and tabs around it removed.
inline std::string_view trimmed(std::string_view text) { return trimmed(text, " \t", " \t"); }

// A line with the spaces and tabs around it removed, and the carriage returns
// among those at its end that a CR LF file leaves there.
inline std::string_view trimmedLine(std::string_view line) { return trimmed(line, " \t", " \t\r"); }

}  // namespace vellacor
