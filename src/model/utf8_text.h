#pragma once
#include <cstddef>
#include <string_view>

namespace vellacor {

// Length of the well-formed UTF-8 sequence starting at text[i] (no overlong
// forms, no surrogates, nothing beyond U+10FFFF), or 0 when the bytes there
// are not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i);

// How many bytes of `text` to keep so that at most `limit` are kept and a
// well-formed multi-byte character is never split by the cut. Bytes that are
// not UTF-8 (Latin-1 text, stray continuation bytes) are cut like any other.
std::size_t utf8CutLength(std::string_view text, std::size_t limit);

// True when the two texts differ at most in the case of ASCII letters; other
// bytes compare as they are, whatever the process locale.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace vellacor
