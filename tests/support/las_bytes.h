#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vellacor::testing {

// One point as a LAS file stores it: integer coordinates, the class byte
// (for formats 0-5 the top three bits are flags, 0x80 withheld) and, for
// formats 6-10, the classification flags byte (0x04 withheld; 0x08 overlap).
struct LasTestPoint {
    std::int32_t x = 0, y = 0, z = 0;
    std::uint8_t classByte = 0;
    std::uint8_t flags = 0x08;
};

// A variable-length record: after the header, or (extended) after the points.
struct LasTestVlr {
    std::string userId;
    std::uint16_t recordId = 0;
    std::string data;
};

// What the test writes: a header of the version's own size, its records
// (`vlrBytes` > 0 adds one of that many bytes, header included, before
// them), and records of `extraBytes` beyond the format's own fields. The
// bounding box is the points' own unless `box` (min x, y, z, max x, y, z)
// says otherwise; extended records (1.4) follow the points.
struct LasTestFile {
    int minor = 2;
    int pointFormat = 1;
    std::size_t extraBytes = 0;
    std::size_t vlrBytes = 0;
    std::uint16_t globalEncoding = 0;
    std::array<double, 3> scale{0.01, 0.01, 0.001};
    std::array<double, 3> offset{500000.0, 4000000.0, 0.0};
    std::optional<std::array<double, 6>> box;
    std::vector<LasTestVlr> vlrs;
    std::vector<LasTestVlr> extendedVlrs;
    std::vector<LasTestPoint> points;
};

inline constexpr std::size_t kLasBaseLength[] = {20, 28, 26, 34, 57, 63, 30, 36, 38, 59, 67};

inline std::size_t lasHeaderSize(int minor) { return minor <= 2 ? 227 : minor == 3 ? 235 : 375; }

template <typename T>
void putLittle(std::string& bytes, std::size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}
template <typename T>
T getLittle(const std::string& bytes, std::size_t at) {
    T value{};
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

// The LAS files beside the project and the LAZ files kept with the import tests.
inline const std::filesystem::path kSharedLas = std::filesystem::path(VELLACOR_SHARED_DATA) / "las";
#ifdef VELLACOR_IMPORT_TESTS
inline const std::filesystem::path kLazFixtures = std::filesystem::path(VELLACOR_IMPORT_TESTS) / "data";
#endif

inline std::string lasVlrBytes(const LasTestVlr& vlr, bool extended) {
    std::string bytes(extended ? 60 : 54, '\0');
    bytes.replace(2, std::min<std::size_t>(vlr.userId.size(), 16), vlr.userId.substr(0, 16));
    putLittle<std::uint16_t>(bytes, 18, vlr.recordId);
    if (extended)
        putLittle<std::uint64_t>(bytes, 20, vlr.data.size());
    else
        putLittle<std::uint16_t>(bytes, 20, static_cast<std::uint16_t>(vlr.data.size()));
    return bytes + vlr.data;
}

// A GeoTIFF key directory record's data: its header (version 1, revision
// 1.0, the key count), then the keys (id, where the value is, count, value).
inline std::string lasGeoKeys(const std::vector<std::array<std::uint16_t, 4>>& keys) {
    std::vector<std::uint16_t> shorts = {1, 1, 0, static_cast<std::uint16_t>(keys.size())};
    for (const auto& key : keys) shorts.insert(shorts.end(), key.begin(), key.end());
    return std::string(reinterpret_cast<const char*>(shorts.data()), shorts.size() * 2);
}

// The record that names a system by its EPSG code: projected (model type 1)
// or geographic (model type 2).
inline LasTestVlr lasEpsgRecord(std::uint16_t code, bool geographic) {
    return {"LASF_Projection", 34735,
            lasGeoKeys({{1024, 0, 1, static_cast<std::uint16_t>(geographic ? 2 : 1)},
                        {static_cast<std::uint16_t>(geographic ? 2048 : 3072), 0, 1, code}})};
}

// The file's bytes, written field by field as the LAS layout places them.
inline std::string lasBytes(const LasTestFile& f) {
    const std::size_t header = lasHeaderSize(f.minor);
    const std::size_t recordLength = kLasBaseLength[f.pointFormat] + f.extraBytes;
    std::vector<LasTestVlr> vlrs = f.vlrs;
    if (f.vlrBytes >= 54) vlrs.insert(vlrs.begin(), {"TEST", 1, std::string(f.vlrBytes - 54, static_cast<char>(0xA5))});
    std::string records;
    for (const LasTestVlr& vlr : vlrs) records += lasVlrBytes(vlr, false);
    const std::size_t first = header + records.size();
    std::string bytes(first + recordLength * f.points.size(), '\0');
    bytes.replace(0, 4, "LASF");
    putLittle<std::uint16_t>(bytes, 6, f.globalEncoding);
    bytes[24] = 1;
    bytes[25] = static_cast<char>(f.minor);
    bytes.replace(26, 10, "TEST WRITE");
    putLittle<std::uint16_t>(bytes, 94, static_cast<std::uint16_t>(header));
    putLittle<std::uint32_t>(bytes, 96, static_cast<std::uint32_t>(first));
    putLittle<std::uint32_t>(bytes, 100, static_cast<std::uint32_t>(vlrs.size()));
    bytes[104] = static_cast<char>(f.pointFormat);
    putLittle<std::uint16_t>(bytes, 105, static_cast<std::uint16_t>(recordLength));
    const bool wide = f.pointFormat >= 6;
    putLittle<std::uint32_t>(bytes, 107, wide ? 0u : static_cast<std::uint32_t>(f.points.size()));
    std::array<double, 6> box{0, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < f.points.size(); ++i) {
        const std::int32_t stored[3] = {f.points[i].x, f.points[i].y, f.points[i].z};
        for (std::size_t k = 0; k < 3; ++k) {
            const double at = stored[k] * f.scale[k] + f.offset[k];
            box[k] = i == 0 ? at : std::min(box[k], at);
            box[k + 3] = i == 0 ? at : std::max(box[k + 3], at);
        }
    }
    if (f.box) box = *f.box;
    for (std::size_t k = 0; k < 3; ++k) {
        putLittle<double>(bytes, 131 + 8 * k, f.scale[k]);
        putLittle<double>(bytes, 155 + 8 * k, f.offset[k]);
        putLittle<double>(bytes, 179 + 16 * k, box[k + 3]);
        putLittle<double>(bytes, 187 + 16 * k, box[k]);
    }
    if (f.minor >= 4) putLittle<std::uint64_t>(bytes, 247, f.points.size());
    bytes.replace(header, records.size(), records);
    for (std::size_t i = 0; i < f.points.size(); ++i) {
        const std::size_t at = first + i * recordLength;
        const LasTestPoint& p = f.points[i];
        putLittle<std::int32_t>(bytes, at, p.x);
        putLittle<std::int32_t>(bytes, at + 4, p.y);
        putLittle<std::int32_t>(bytes, at + 8, p.z);
        putLittle<std::uint16_t>(bytes, at + 12, 1000);  // intensity
        bytes[at + 14] = 0x11;                             // first return of one
        bytes[at + (wide ? 16 : 15)] = static_cast<char>(p.classByte);
        if (wide) bytes[at + 15] = static_cast<char>(p.flags);
        for (std::size_t k = kLasBaseLength[f.pointFormat]; k < recordLength; ++k)
            bytes[at + k] = static_cast<char>(0xEE);  // extra bytes
    }
    if (f.minor >= 4 && !f.extendedVlrs.empty()) {
        putLittle<std::uint64_t>(bytes, 235, bytes.size());
        putLittle<std::uint32_t>(bytes, 243, static_cast<std::uint32_t>(f.extendedVlrs.size()));
        for (const LasTestVlr& vlr : f.extendedVlrs) bytes += lasVlrBytes(vlr, true);
    }
    return bytes;
}

}  // namespace vellacor::testing
