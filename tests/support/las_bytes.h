#pragma once
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vellacor::testing {

// One point as a LAS file stores it: integer coordinates and the class byte
// (for formats 0-5 the top three bits are flags).
struct LasTestPoint {
    std::int32_t x = 0, y = 0, z = 0;
    std::uint8_t classByte = 0;
};

// What the test writes: a header of the version's own size, `vlrBytes` of
// filler between the header and the points, and records of `extraBytes`
// beyond the format's own fields.
struct LasTestFile {
    int minor = 2;
    int pointFormat = 1;
    std::size_t extraBytes = 0;
    std::size_t vlrBytes = 0;
    std::array<double, 3> scale{0.01, 0.01, 0.001};
    std::array<double, 3> offset{500000.0, 4000000.0, 0.0};
    std::vector<LasTestPoint> points;
};

inline constexpr std::size_t kLasBaseLength[] = {20, 28, 26, 34, 57, 63, 30, 36, 38, 59, 67};

inline std::size_t lasHeaderSize(int minor) { return minor <= 2 ? 227 : minor == 3 ? 235 : 375; }

template <typename T>
void putLittle(std::string& bytes, std::size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

// The file's bytes, written field by field as the LAS layout places them.
inline std::string lasBytes(const LasTestFile& f) {
    const std::size_t header = lasHeaderSize(f.minor);
    const std::size_t recordLength = kLasBaseLength[f.pointFormat] + f.extraBytes;
    const std::size_t first = header + f.vlrBytes;
    std::string bytes(first + recordLength * f.points.size(), '\0');
    bytes.replace(0, 4, "LASF");
    bytes[24] = 1;
    bytes[25] = static_cast<char>(f.minor);
    bytes.replace(26, 10, "TEST WRITE");
    putLittle<std::uint16_t>(bytes, 94, static_cast<std::uint16_t>(header));
    putLittle<std::uint32_t>(bytes, 96, static_cast<std::uint32_t>(first));
    putLittle<std::uint32_t>(bytes, 100, f.vlrBytes > 0 ? 1u : 0u);
    bytes[104] = static_cast<char>(f.pointFormat);
    putLittle<std::uint16_t>(bytes, 105, static_cast<std::uint16_t>(recordLength));
    const bool wide = f.pointFormat >= 6;
    putLittle<std::uint32_t>(bytes, 107, wide ? 0u : static_cast<std::uint32_t>(f.points.size()));
    for (std::size_t k = 0; k < 3; ++k) {
        putLittle<double>(bytes, 131 + 8 * k, f.scale[k]);
        putLittle<double>(bytes, 155 + 8 * k, f.offset[k]);
    }
    if (f.minor >= 4) putLittle<std::uint64_t>(bytes, 247, f.points.size());
    for (std::size_t i = header; i < first; ++i) bytes[i] = static_cast<char>(0xA5);  // the records' filler
    for (std::size_t i = 0; i < f.points.size(); ++i) {
        const std::size_t at = first + i * recordLength;
        const LasTestPoint& p = f.points[i];
        putLittle<std::int32_t>(bytes, at, p.x);
        putLittle<std::int32_t>(bytes, at + 4, p.y);
        putLittle<std::int32_t>(bytes, at + 8, p.z);
        putLittle<std::uint16_t>(bytes, at + 12, 1000);  // intensity
        bytes[at + 14] = 0x11;                             // first return of one
        bytes[at + (wide ? 16 : 15)] = static_cast<char>(p.classByte);
        if (wide) bytes[at + 15] = 0x08;  // the flags byte of 6-10: a withheld point
        for (std::size_t k = kLasBaseLength[f.pointFormat]; k < recordLength; ++k)
            bytes[at + k] = static_cast<char>(0xEE);  // extra bytes
    }
    return bytes;
}

}  // namespace vellacor::testing
