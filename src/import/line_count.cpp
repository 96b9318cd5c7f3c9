#include "import/line_count.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vellacor {

std::size_t countLineFeeds(std::string_view text) {
    constexpr std::uint64_t kEveryByte = 0x0101010101010101;
    constexpr std::uint64_t kLowBits = 0x7F * kEveryByte, kHighBits = 0x80 * kEveryByte;
    const char* p = text.data();
    const char* const end = p + text.size();
    std::size_t count = 0;
    for (; end - p >= 8; p += 8) {
        std::uint64_t bytes;
        std::memcpy(&bytes, p, sizeof bytes);
        // An LF becomes a zero byte; adding 0x7F to a byte's low seven bits
        // sets its high bit unless they are all clear (never carrying into
        // the next byte), so the high bit stays clear for a zero byte alone.
        const std::uint64_t x = bytes ^ ('\n' * kEveryByte);
        const std::uint64_t zeroBytes = ~(((x & kLowBits) + kLowBits) | x) & kHighBits;
        // One bit a zero byte, summed into the top byte.
        count += static_cast<std::size_t>(((zeroBytes >> 7) * kEveryByte) >> 56);
    }
    return count + static_cast<std::size_t>(std::count(p, end, '\n'));
}

}  // namespace vellacor
