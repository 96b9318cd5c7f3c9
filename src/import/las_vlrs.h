#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vellacor {

// The value of type T stored little-endian at `at`, or zero where the bytes
// end before it: what a damaged header gives is then only a wrong number.
template <typename T>
T lasLittle(std::string_view bytes, std::uint64_t at) {
    T value{};
    if (at <= bytes.size() && sizeof value <= bytes.size() - at)
        std::memcpy(&value, bytes.data() + static_cast<std::size_t>(at), sizeof value);
    return value;
}

// One variable-length record of a LAS file: the header's list after the
// file header, or the extended list (LAS 1.4) after the points.
struct LasVlr {
    std::string userId;           // up to 16 characters, the NULs after it taken off
    std::uint16_t recordId = 0;
    std::uint64_t dataOffset = 0;  // where its data starts in the file
    std::uint64_t dataLength = 0;  // as the record says, cut at the end of the file
    bool extended = false;
};

// The records the header lists, from the end of the header on, as many as
// it counts and as lie whole in the bytes; then, for LAS 1.4, the extended
// ones from the header's start of them. A record cut off by the end of the
// file ends the list.
std::vector<LasVlr> readLasVlrs(std::string_view bytes);

// Where the header's own records end: the first byte after the last whole
// one (the header's size when it lists none).
std::uint64_t endOfLasVlrs(std::string_view bytes);

// Where the extended records start (LAS 1.4 with any), or 0.
std::uint64_t startOfExtendedLasVlrs(std::string_view bytes);

// The first record with this user and record id, or nullptr.
const LasVlr* findLasVlr(const std::vector<LasVlr>& vlrs, std::string_view userId, std::uint16_t recordId);

}  // namespace vellacor
