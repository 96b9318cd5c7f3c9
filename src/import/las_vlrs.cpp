#include "import/las_vlrs.h"

#include <cstring>

namespace vellacor {

namespace {

constexpr std::size_t kVlrHeaderLength = 54;
constexpr std::size_t kEvlrHeaderLength = 60;
constexpr std::size_t kSmallestHeader = 227;
constexpr std::size_t kEvlrStartField = 235;  // 1.4: the start of the extended records, 8 bytes
constexpr std::size_t kEvlrCountField = 243;  // 1.4: their count, 4 bytes

std::string userIdAt(std::string_view bytes, std::size_t at) {
    std::string id(bytes.substr(at, 16));
    if (const auto nul = id.find('\0'); nul != std::string::npos) id.resize(nul);
    return id;
}

bool isVersion14(std::string_view bytes) {
    return bytes.size() >= kSmallestHeader && bytes[24] == 1 && bytes[25] >= 4 &&
           lasLittle<std::uint16_t>(bytes, 94) >= kEvlrCountField + 4;
}

}  // namespace

std::vector<LasVlr> readLasVlrs(std::string_view bytes) {
    std::vector<LasVlr> vlrs;
    if (bytes.size() < kSmallestHeader) return vlrs;
    std::uint64_t at = lasLittle<std::uint16_t>(bytes, 94);
    const auto count = lasLittle<std::uint32_t>(bytes, 100);
    for (std::uint32_t i = 0; i < count && at + kVlrHeaderLength <= bytes.size(); ++i) {
        LasVlr vlr;
        vlr.userId = userIdAt(bytes, static_cast<std::size_t>(at) + 2);
        vlr.recordId = lasLittle<std::uint16_t>(bytes, static_cast<std::size_t>(at) + 18);
        vlr.dataOffset = at + kVlrHeaderLength;
        vlr.dataLength = lasLittle<std::uint16_t>(bytes, static_cast<std::size_t>(at) + 20);
        if (vlr.dataOffset + vlr.dataLength > bytes.size()) break;
        at = vlr.dataOffset + vlr.dataLength;
        vlrs.push_back(std::move(vlr));
    }
    if (const std::uint64_t start = startOfExtendedLasVlrs(bytes); start != 0) {
        at = start;
        const auto extended = lasLittle<std::uint32_t>(bytes, kEvlrCountField);
        for (std::uint32_t i = 0; i < extended && at + kEvlrHeaderLength <= bytes.size(); ++i) {
            LasVlr vlr;
            vlr.extended = true;
            vlr.userId = userIdAt(bytes, static_cast<std::size_t>(at) + 2);
            vlr.recordId = lasLittle<std::uint16_t>(bytes, static_cast<std::size_t>(at) + 18);
            vlr.dataOffset = at + kEvlrHeaderLength;
            vlr.dataLength = lasLittle<std::uint64_t>(bytes, static_cast<std::size_t>(at) + 20);
            if (vlr.dataLength > bytes.size() - vlr.dataOffset) break;
            at = vlr.dataOffset + vlr.dataLength;
            vlrs.push_back(std::move(vlr));
        }
    }
    return vlrs;
}

std::uint64_t endOfLasVlrs(std::string_view bytes) {
    std::uint64_t end = bytes.size() >= kSmallestHeader ? lasLittle<std::uint16_t>(bytes, 94) : 0;
    for (const LasVlr& vlr : readLasVlrs(bytes))
        if (!vlr.extended) end = vlr.dataOffset + vlr.dataLength;
    return end;
}

std::uint64_t startOfExtendedLasVlrs(std::string_view bytes) {
    if (!isVersion14(bytes) || lasLittle<std::uint32_t>(bytes, kEvlrCountField) == 0) return 0;
    const auto start = lasLittle<std::uint64_t>(bytes, kEvlrStartField);
    return start < bytes.size() ? start : 0;
}

const LasVlr* findLasVlr(const std::vector<LasVlr>& vlrs, std::string_view userId, std::uint16_t recordId) {
    for (const LasVlr& vlr : vlrs)
        if (vlr.userId == userId && vlr.recordId == recordId) return &vlr;
    return nullptr;
}

}  // namespace vellacor
