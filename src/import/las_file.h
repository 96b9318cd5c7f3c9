#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "import/las_classes.h"
#include "import/point_file.h"
#include "model/read_diagnostics.h"

namespace vellacor {

inline constexpr const char* kCompressedLasMessage =
    "Compressed LAS (.laz) files are not supported; decompress the file first.";

// Whether the bytes begin as every LAS point cloud does ("LASF").
bool startsLikeLas(std::string_view firstBytes);
// The same for a file on disk: reads its first four bytes only.
bool isLasFile(const std::string& path);

// Where a LAS file keeps its point records and how to read them, from its
// header, checked against the file's size.
struct LasLayout {
    int versionMajor = 1;
    int versionMinor = 0;
    int pointFormat = 0;            // 0 to 10
    std::size_t recordLength = 0;   // at least the format's own fields; the rest (extra bytes) is passed over
    std::size_t firstRecord = 0;    // the offset of the first record
    std::uint64_t countedRecords = 0;  // as the header counts them (the 64-bit count of 1.4 when set)
    std::size_t records = 0;        // whole records the file holds, at most the counted ones
    std::size_t classOffset = 0;    // of the class byte in a record
    std::uint8_t classMask = 0;     // formats 0-5 keep flags in the class byte's top three bits
    std::array<double, 3> scale{};  // x, y, z: coordinate = stored integer * scale + offset
    std::array<double, 3> offset{};
};

// The layout, or why the file cannot be read (a compressed, damaged or
// foreign file) in `refusal`.
struct LasLayoutRead {
    std::optional<LasLayout> layout;
    std::string refusal;
};
LasLayoutRead readLasLayout(std::string_view bytes);

// How many of the records are of each class. One pass over the records'
// class bytes.
LasClassCounts countLasClasses(std::string_view bytes, const LasLayout& layout, const ReadProgress& progress = {});

// Asked once the classes the file holds are counted: which become the site.
using LasClassQuestion = std::function<LasClassChoice(const LasClassCounts& counts)>;

// The ground class when the file has any ground point, otherwise every class.
LasClassChoice defaultLasClasses(const LasClassCounts& counts);

// The points of a LAS file's chosen classes, in file order: each numbered by
// its place in the file from 1, its class name as the description, then the
// three spare records; a point whose coordinates lie beyond
// kLargestCoordinate is left out. What the user should know (a refusal, a
// file shorter than its header says, points left out) is in `diagnostics`.
struct LasReadResult {
    PointReadResult read;
    ReadDiagnostics diagnostics;
};

// Reads the bytes of a whole LAS file, without copying them. Throws
// std::bad_alloc when the point array cannot be had.
LasReadResult readLasBytes(std::string_view bytes, const LasClassQuestion& ask, const ReadProgress& progress = {});

// The same over a file, mapped rather than copied, its pages let go as the
// reading passes them. Nothing when the file cannot be opened.
std::optional<LasReadResult> readLasFile(const std::string& path, const LasClassQuestion& ask);

}  // namespace vellacor
