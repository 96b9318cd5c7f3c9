#pragma once
#include <bit>
#include <cstdint>
#include <cstring>

namespace vellacor {

// Numbers as survey files nearly always write them, "-1234.567" or "42",
// read in a few instructions (inline: they run for every number of a point
// file). Each returns the end of the number, or nullptr when the text at
// `first` is anything else (an exponent, too many digits for the quick
// way, no digit at all); then std::from_chars
// must read it. Whatever these read is exactly what std::from_chars reads:
// the same value, bit for bit, and the same end.

// The digit steps the two readers share.
namespace plain_digits {

inline constexpr std::uint64_t kExactInDouble = std::uint64_t{1} << 53;
inline constexpr int kMostDigits = 19;  // 10^19 - 1 still fits 64 bits
// Every power of ten up to 10^22 is an exact double.
inline constexpr double kPowersOfTen[kMostDigits + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                                         1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                                         1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
inline constexpr std::uint64_t kPowersOfTenInteger[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Eight bytes of text as one integer, the first byte lowest.
inline std::uint64_t eightBytes(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

// How many of the eight bytes, from the lowest, are digits before the first
// byte that is not. A byte that is not a digit gets its high bit set by the
// sum or by the difference; the carries and borrows of a byte only reach the
// bytes above it, and every byte below the first non-digit is a digit.
inline int leadingDigits(std::uint64_t bytes) {
    const std::uint64_t notDigit =
        ((bytes + 0x4646464646464646) | (bytes - 0x3030303030303030)) & 0x8080808080808080;
    return notDigit == 0 ? 8 : std::countr_zero(notDigit) / 8;
}

// The value of the first `count` (1 to 8) bytes, all digits, the first the
// most significant: the digits are moved to the top so that the bytes
// below them read as leading zeros, then pairs, fours and eights of digits
// are combined by multiplication.
inline std::uint64_t digitsValue(std::uint64_t bytes, int count) {
    std::uint64_t v = (bytes - 0x3030303030303030) << (8 * (8 - count));
    v = v * 10 + (v >> 8);
    v = ((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32)) +
         ((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32))) >> 32;
    return v;
}

// Adds the run of digits at `p` to `digits` (as more digits on its right)
// and counts them in `count`; returns where the run ends, or nullptr once
// the count passes `most` (before the integer could overflow). Eight bytes
// at a time while eight are left.
inline const char* appendDigits(const char* p, const char* end, std::uint64_t& digits, int& count, int most) {
    while (end - p >= 8) {
        const std::uint64_t bytes = eightBytes(p);
        const int n = leadingDigits(bytes);
        if (n == 0) return p;
        if ((count += n) > most) return nullptr;
        digits = digits * kPowersOfTenInteger[n] + digitsValue(bytes, n);
        p += n;
        if (n < 8) return p;
    }
    for (; p < end && isDigit(*p); ++p) {
        if (++count > most) return nullptr;
        digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    return p;
}

}  // namespace plain_digits

// "[-]digits[.digits]" (either digit run may be empty, not both). Taken only
// when there are at most 19 digits and, read as one integer, they stay
// within 2^53: that integer and the power of ten are then both exact
// doubles, so one IEEE division gives the correctly rounded value.
inline const char* readPlainDecimal(const char* first, const char* end, double& value) {
    const char* p = first;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::uint64_t digits = 0;
    int count = 0;
    p = plain_digits::appendDigits(p, end, digits, count, plain_digits::kMostDigits);
    if (!p) return nullptr;
    int decimals = 0;
    if (p < end && *p == '.') {
        const int whole = count;
        p = plain_digits::appendDigits(p + 1, end, digits, count, plain_digits::kMostDigits);
        if (!p) return nullptr;
        decimals = count - whole;
    }
    if (count == 0 || (p < end && (*p == 'e' || *p == 'E'))) return nullptr;
    if (digits > plain_digits::kExactInDouble) return nullptr;
    const double magnitude = static_cast<double>(digits) / plain_digits::kPowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return p;
}

// "[-]digits", at most 18 digits.
inline const char* readPlainInteger(const char* first, const char* end, std::int64_t& value) {
    const char* p = first;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::uint64_t digits = 0;
    int count = 0;
    p = plain_digits::appendDigits(p, end, digits, count, plain_digits::kMostDigits - 1);
    if (!p || count == 0) return nullptr;
    value = negative ? -static_cast<std::int64_t>(digits) : static_cast<std::int64_t>(digits);
    return p;
}

}  // namespace vellacor
