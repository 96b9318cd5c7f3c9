#pragma once
#include <cstdint>

namespace vellacor {

// Numbers as survey files nearly always write them, "-1234.567" or "42",
// read in a few instructions. Each returns the end of the number, or nullptr
// when the text at `first` is anything else (an exponent, more significant
// digits than a 64-bit integer holds, no digit at all); then std::from_chars
// must read it. Whatever these read is exactly what std::from_chars reads:
// the same value, bit for bit, and the same end.

// "[-]digits[.digits]" (either digit run may be empty, not both). Taken only
// when there are at most 19 digits and, read as one integer, they stay
// within 2^53: that integer and the power of ten are then both exact
// doubles, so one IEEE division gives the correctly rounded value.
const char* readPlainDecimal(const char* first, const char* end, double& value);

// "[-]digits", at most 18 digits.
const char* readPlainInteger(const char* first, const char* end, std::int64_t& value);

}  // namespace vellacor
