#include "import/dxf_pairs.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "model/utf8_text.h"

namespace vellacor {

std::string_view DxfPairReader::line() {
    const std::size_t begin = at_;
    const void* found = std::memchr(text_.data() + begin, '\n', text_.size() - begin);
    const std::size_t end = found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data()) : text_.size();
    at_ = found ? end + 1 : end;
    std::string_view l = text_.substr(begin, end - begin);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    return l;
}

std::optional<DxfPair> DxfPairReader::next() {
    while (at_ < text_.size()) {
        const std::string_view codeText = trimmed(line());
        int code = 0;
        const auto [stop, error] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
        if (error != std::errc() || stop != codeText.data() + codeText.size() || codeText.empty()) continue;
        if (at_ >= text_.size()) return std::nullopt;  // a code without its value ends the file
        return DxfPair{code, line()};
    }
    return std::nullopt;
}

std::optional<std::size_t> entitiesStart(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const void* found = std::memchr(text.data() + at, '\n', text.size() - at);
        const std::size_t end = found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) : text.size();
        std::string_view l = text.substr(at, end - at);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        at = found ? end + 1 : end;
        if (equalsIgnoringCase(trimmed(l), "ENTITIES")) return at;
    }
    return std::nullopt;
}

std::optional<double> dxfNumber(std::string_view value) {
    value = trimmed(value);
    if (!value.empty() && value.front() == '+') value.remove_prefix(1);
    double x = 0.0;
    const auto [stop, error] = std::from_chars(value.data(), value.data() + value.size(), x);
    if (error != std::errc() || stop != value.data() + value.size() || value.empty() || !std::isfinite(x))
        return std::nullopt;
    return x;
}

}  // namespace vellacor
