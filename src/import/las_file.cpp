#include "import/las_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "import/mapped_file.h"

namespace vellacor {

namespace {

constexpr std::size_t kSmallestHeader = 227;   // the header of versions 1.0 to 1.2
constexpr std::size_t kHeaderWithWideCount = 255;  // 1.4: the 64-bit point count ends here
constexpr std::size_t kWideCountOffset = 247;
// Points are numbered by their place in the file, and the count and the three
// spare records must fit an int.
constexpr std::size_t kMostRecords = INT32_MAX - 3;
constexpr std::size_t kProgressStep = std::size_t{2} << 20;

// The bytes each point format's own fields take.
constexpr std::size_t kBaseRecordLength[] = {20, 28, 26, 34, 57, 63, 30, 36, 38, 59, 67};
constexpr int kLastPointFormat = 10;
constexpr int kFirstWidePointFormat = 6;  // formats from 6 on have a whole byte for the class

template <typename T>
T readLittle(std::string_view bytes, std::size_t at) {
    // The caller has checked that the bytes are there; LAS is little-endian, as is every machine this runs on.
    T value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

std::string versionText(int major, int minor) { return std::to_string(major) + "." + std::to_string(minor); }

// Calls `visit(index, record)` for each record, in file order, telling
// `progress` now and then which bytes it is done with. O(records).
template <typename Visit>
void walkRecords(std::string_view bytes, const LasLayout& layout, const ReadProgress& progress, Visit&& visit) {
    const char* first = bytes.data() + layout.firstRecord;
    std::size_t released = layout.firstRecord, nextProgress = layout.firstRecord + kProgressStep;
    for (std::size_t i = 0; i < layout.records; ++i) {
        const char* record = first + i * layout.recordLength;
        visit(i, record);
        const auto done = static_cast<std::size_t>(record - bytes.data()) + layout.recordLength;
        if (progress && done >= nextProgress) {
            progress(released, done);
            released = done;
            nextProgress = done + kProgressStep;
        }
    }
}

std::uint8_t classOf(const char* record, const LasLayout& layout) {
    return static_cast<std::uint8_t>(static_cast<std::uint8_t>(record[layout.classOffset]) & layout.classMask);
}

std::string chosenClassesText(const LasClassChoice& choice) {
    std::string text;
    for (int code = 0; code < kLasClassCount; ++code)
        if (choice[static_cast<std::size_t>(code)]) text += (text.empty() ? "" : ", ") + lasClassName(code);
    return text;
}

// What the reader adds to the points of a class: every field but the
// position and the number, the class name among them. Points copy it, so a
// point's description costs no allocation of its own.
SurveyPoint classRecord(int code) {
    SurveyPoint p;
    setDescription(p, lasClassName(code));
    p.useInSurface = true;
    p.displayMark = PointMark::Ordinary;
    return p;
}

void addNotes(const LasLayout& layout, std::uint64_t leftOut, ReadDiagnostics& diagnostics) {
    if (layout.records < layout.countedRecords) {
        const std::string held = std::to_string(layout.records), counted = std::to_string(layout.countedRecords);
        diagnostics.messages.push_back(
            layout.records < kMostRecords
                ? "The file holds " + held + " of the " + counted + " points its header counts: it may be cut short."
                : "Only the first " + held + " of the file's " + counted + " points can be read.");
    }
    if (leftOut > 0)
        diagnostics.messages.push_back("Left out " + std::to_string(leftOut) +
                                       " points whose coordinates are too large to be survey coordinates.");
}

}  // namespace

bool startsLikeLas(std::string_view firstBytes) { return firstBytes.starts_with("LASF"); }

bool isLasFile(const std::string& path) { return startsLikeLas(fileHead(path, 4)); }

LasLayoutRead readLasLayout(std::string_view bytes) {
    LasLayoutRead result;
    if (!startsLikeLas(bytes)) {
        result.refusal = "This is not a LAS point cloud: it does not begin with \"LASF\".";
        return result;
    }
    if (bytes.size() < kSmallestHeader) {
        result.refusal = "The LAS file ends within its header.";
        return result;
    }
    LasLayout layout;
    layout.versionMajor = static_cast<std::uint8_t>(bytes[24]);
    layout.versionMinor = static_cast<std::uint8_t>(bytes[25]);
    const auto headerSize = readLittle<std::uint16_t>(bytes, 94);
    const auto formatByte = static_cast<std::uint8_t>(bytes[104]);
    // Compressors mark the point format with one of the top two bits.
    if ((formatByte & 0xC0) != 0) {
        result.refusal = kCompressedLasMessage;
        return result;
    }
    if (layout.versionMajor != 1) {
        result.refusal = "LAS version " + versionText(layout.versionMajor, layout.versionMinor) + " is not supported.";
        return result;
    }
    layout.pointFormat = formatByte;
    if (layout.pointFormat > kLastPointFormat) {
        result.refusal = "LAS point format " + std::to_string(layout.pointFormat) + " is not supported.";
        return result;
    }
    if (headerSize < kSmallestHeader || headerSize > bytes.size()) {
        result.refusal = headerSize < kSmallestHeader ? "The LAS file's header is damaged: it gives its own size as " +
                                                            std::to_string(headerSize) + " bytes."
                                                      : "The LAS file ends within its header.";
        return result;
    }
    layout.recordLength = readLittle<std::uint16_t>(bytes, 105);
    const std::size_t base = kBaseRecordLength[layout.pointFormat];
    if (layout.recordLength < base) {
        result.refusal = "The LAS file's point records are " + std::to_string(layout.recordLength) +
                         " bytes long, too short for point format " + std::to_string(layout.pointFormat) + " (" +
                         std::to_string(base) + " bytes).";
        return result;
    }
    layout.firstRecord = readLittle<std::uint32_t>(bytes, 96);
    if (layout.firstRecord < headerSize || layout.firstRecord > bytes.size()) {
        result.refusal = "The LAS file's header is damaged: its points would start at byte " +
                         std::to_string(layout.firstRecord) + ", " +
                         (layout.firstRecord < headerSize ? "within the header." : "beyond the end of the file.");
        return result;
    }
    layout.countedRecords = readLittle<std::uint32_t>(bytes, 107);
    if (layout.versionMinor >= 4 && headerSize >= kHeaderWithWideCount) {
        const auto wide = readLittle<std::uint64_t>(bytes, kWideCountOffset);
        if (wide > 0) layout.countedRecords = wide;
    }
    for (std::size_t k = 0; k < 3; ++k) {
        layout.scale[k] = readLittle<double>(bytes, 131 + 8 * k);
        layout.offset[k] = readLittle<double>(bytes, 155 + 8 * k);
        if (!std::isfinite(layout.scale[k]) || layout.scale[k] == 0.0 || !std::isfinite(layout.offset[k])) {
            result.refusal = "The LAS file's header is damaged: its coordinate scale or offset is not a usable number.";
            return result;
        }
    }
    const std::size_t held = (bytes.size() - layout.firstRecord) / layout.recordLength;
    layout.records = static_cast<std::size_t>(std::min<std::uint64_t>({layout.countedRecords, held, kMostRecords}));
    const bool wideClass = layout.pointFormat >= kFirstWidePointFormat;
    layout.classOffset = wideClass ? 16 : 15;
    layout.classMask = wideClass ? 0xFF : 0x1F;
    result.layout = layout;
    return result;
}

LasClassCounts countLasClasses(std::string_view bytes, const LasLayout& layout, const ReadProgress& progress) {
    LasClassCounts counts{};
    walkRecords(bytes, layout, progress, [&](std::size_t, const char* record) { ++counts[classOf(record, layout)]; });
    return counts;
}

LasClassChoice defaultLasClasses(const LasClassCounts& counts) {
    LasClassChoice choice{};
    if (counts[kLasGroundClass] > 0)
        choice[kLasGroundClass] = true;
    else
        choice.fill(true);
    return choice;
}

LasReadResult readLasBytes(std::string_view bytes, const LasClassQuestion& ask, const ReadProgress& progress) {
    LasReadResult result;
    const LasLayoutRead header = readLasLayout(bytes);
    if (!header.layout) {
        result.diagnostics.messages.push_back(header.refusal);
        return result;
    }
    const LasLayout& layout = *header.layout;
    if (layout.records == 0) {
        addNotes(layout, 0, result.diagnostics);
        result.diagnostics.messages.emplace_back("The LAS file holds no points.");
        return result;
    }
    const LasClassCounts counts = countLasClasses(bytes, layout, progress);
    const LasClassChoice choice = ask ? ask(counts) : defaultLasClasses(counts);
    std::size_t chosen = 0;
    std::array<SurveyPoint, kLasClassCount> classRecords;
    for (std::size_t code = 0; code < counts.size(); ++code)
        if (choice[code] && counts[code] > 0) {
            chosen += counts[code];
            classRecords[code] = classRecord(static_cast<int>(code));
        }
    if (chosen == 0) {
        const std::string names = chosenClassesText(choice);
        result.diagnostics.messages.push_back(names.empty() ? "No class of points was chosen."
                                                            : "The file holds no points of the classes chosen: " + names + ".");
        return result;
    }

    std::vector<SurveyPoint>& points = result.read.points;
    points.reserve(chosen + 3);  // exactly: the counting pass knows
    std::uint64_t leftOut = 0;
    walkRecords(bytes, layout, progress, [&](std::size_t index, const char* record) {
        const std::uint8_t code = classOf(record, layout);
        if (!choice[code]) return;
        std::int32_t stored[3];
        std::memcpy(stored, record, sizeof stored);
        double at[3];
        for (std::size_t k = 0; k < 3; ++k) at[k] = stored[k] * layout.scale[k] + layout.offset[k];
        if (!isUsableCoordinate(at[0]) || !isUsableCoordinate(at[1]) || !isUsableCoordinate(at[2])) {
            ++leftOut;
            return;
        }
        SurveyPoint& p = points.emplace_back(classRecords[code]);
        p.number = static_cast<std::int32_t>(index + 1);
        p.easting = at[0];
        p.northing = at[1];
        p.elevation = at[2];
    });
    result.read.pointCount = static_cast<int>(points.size());
    if (result.read.pointCount > 0)
        points.resize(points.size() + 3);
    else
        std::vector<SurveyPoint>().swap(points);
    addNotes(layout, leftOut, result.diagnostics);
    return result;
}

std::optional<LasReadResult> readLasFile(const std::string& path, const LasClassQuestion& ask) {
    MappedFile file;
    if (!file.open(path)) return std::nullopt;
    return readLasBytes(file.bytes(), ask, [&](std::size_t from, std::size_t to) { file.releaseRange(from, to); });
}

}  // namespace vellacor
