#pragma once
#include <cstddef>
#include <optional>
#include <string_view>

#include "model/trimmed_text.h"

namespace vellacor {

// One group of a DXF file: the code line as a number and the value line
// without its line end.
struct DxfPair {
    int code = 0;
    std::string_view value;
};

// Reads a DXF file's text as group pairs. Group codes are recognised with or
// without the spaces CAD programs align them with, and lines may end in LF or
// CR LF. A code line that is not a whole number is passed over on its own, so
// the reader falls back into step at the next code it can read. Nothing is
// copied: the values point into the text.
class DxfPairReader {
public:
    explicit DxfPairReader(std::string_view text, std::size_t start = 0) : text_(text), at_(start) {}

    std::optional<DxfPair> next();
    std::size_t offset() const { return at_; }

private:
    std::string_view line();
    std::string_view text_;
    std::size_t at_;
};

// Where the ENTITIES section's groups begin: just after a line reading
// "ENTITIES" (any case, spaces around it allowed); nothing when there is none.
std::optional<std::size_t> entitiesStart(std::string_view text);

// A number written as decimal text, integer or floating point, with spaces
// around it allowed; nothing for anything else, NaN and infinities included.
std::optional<double> dxfNumber(std::string_view value);

}  // namespace vellacor
