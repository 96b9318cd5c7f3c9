#include "import/las_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "import/las_vlrs.h"
#include "import/laz_file.h"
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
constexpr std::size_t kBoxField = 179;     // max x, min x, max y, min y, max z, min z
constexpr std::uint8_t kNarrowWithheld = 0x80;  // formats 0-5: the class byte's top bit
constexpr std::uint8_t kWideWithheld = 0x04;    // formats 6-10: a bit of the classification flags byte

template <typename T>
T readLittle(std::string_view bytes, std::size_t at) {
    // The caller has checked that the bytes are there; LAS is little-endian, as is every machine this runs on.
    T value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

std::string pointsText(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " point" : " points"); }

std::string versionText(int major, int minor) { return std::to_string(major) + "." + std::to_string(minor); }

std::uint8_t classOf(const char* record, const LasLayout& layout) {
    return static_cast<std::uint8_t>(static_cast<std::uint8_t>(record[layout.classOffset]) & layout.classMask);
}

bool isWithheld(const char* record, const LasLayout& layout) {
    return (static_cast<std::uint8_t>(record[layout.withheldOffset]) & layout.withheldMask) != 0;
}

// Calls `visit(record)` for each whole record of the run, in order.
template <typename Visit>
void eachRecord(std::string_view records, const LasLayout& layout, Visit&& visit) {
    const std::size_t count = layout.recordLength < kLasRecordBytesRead ? 0 : records.size() / layout.recordLength;
    for (std::size_t i = 0; i < count; ++i) visit(records.data() + i * layout.recordLength);
}

// The records of a file's own bytes, a few megabytes at a time, telling
// `progress` after each run which bytes it is done with.
LasRecordRuns recordRunsOf(std::string_view bytes, const LasLayout& layout, const ReadProgress& progress) {
    return [bytes, &layout, &progress](const LasRecordTaker& take) {
        const std::size_t perRun = std::max<std::size_t>(1, kProgressStep / layout.recordLength);
        std::size_t released = layout.firstRecord;
        for (std::size_t i = 0; i < layout.records; i += perRun) {
            const std::size_t from = layout.firstRecord + i * layout.recordLength;
            const std::size_t length = std::min(perRun, layout.records - i) * layout.recordLength;
            take(bytes.substr(from, length), i);
            if (progress) {
                progress(released, from + length);
                released = from + length;
            }
        }
    };
}

std::string chosenClassesText(const LasClassChoice& choice, int versionMinor) {
    std::string text;
    for (int code = 0; code < kLasClassCount; ++code)
        if (choice[static_cast<std::size_t>(code)]) text += (text.empty() ? "" : ", ") + lasClassName(code, versionMinor);
    return text;
}

// What the reader adds to the points of a class: every field but the
// position and the number, the class name among them. Points copy it, so a
// point's description costs no allocation of its own.
SurveyPoint classRecord(int code, int versionMinor) {
    SurveyPoint p;
    setDescription(p, lasClassName(code, versionMinor));
    p.useInSurface = true;
    p.displayMark = PointMark::Ordinary;
    return p;
}

// What the layout says of the records the file holds against those its header counts.
void addLayoutNotes(const LasLayout& layout, ReadDiagnostics& diagnostics) {
    if (layout.records >= layout.countedRecords) return;
    const std::string held = std::to_string(layout.records), counted = std::to_string(layout.countedRecords);
    const bool intoExtended = layout.extendedRecordsStart > 0 &&
                              layout.firstRecord + static_cast<std::uint64_t>(layout.records + 1) * layout.recordLength >
                                  layout.extendedRecordsStart;
    if (layout.records >= kMostRecords)
        diagnostics.messages.push_back("Only the first " + held + " of the file's " + counted + " points can be read.");
    else if (intoExtended)
        diagnostics.messages.push_back("The file holds " + held + " of the " + counted +
                                       " points its header counts before its extended records start: the rest are "
                                       "left out.");
    else
        diagnostics.messages.push_back("The file holds " + held + " of the " + counted +
                                       " points its header counts: it may be cut short.");
}

bool isUsableBox(const LasLayout& layout) {
    for (std::size_t k = 0; k < 3; ++k)
        if (!std::isfinite(layout.lowest[k]) || !std::isfinite(layout.highest[k]) || layout.lowest[k] > layout.highest[k])
            return false;
    return true;
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
    layout.compressed = (formatByte & 0xC0) != 0;
    if (layout.versionMajor != 1) {
        result.refusal = "LAS version " + versionText(layout.versionMajor, layout.versionMinor) + " is not supported.";
        return result;
    }
    layout.pointFormat = formatByte & 0x3F;
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
    if (const std::uint64_t vlrEnd = endOfLasVlrs(bytes); layout.firstRecord < vlrEnd) {
        result.refusal = "The LAS file's header is damaged: its points would start at byte " +
                         std::to_string(layout.firstRecord) + ", within its variable-length records (which end at byte " +
                         std::to_string(vlrEnd) + ").";
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
        layout.highest[k] = readLittle<double>(bytes, kBoxField + 16 * k);
        layout.lowest[k] = readLittle<double>(bytes, kBoxField + 16 * k + 8);
    }
    // The points end where the header's count ends, or before the extended
    // records that follow them (1.4), or with the file.
    std::size_t end = bytes.size();
    if (const std::uint64_t extended = startOfExtendedLasVlrs(bytes); extended > layout.firstRecord) {
        layout.extendedRecordsStart = extended;
        end = static_cast<std::size_t>(extended);
    }
    // A compressed file holds what its chunks decode to, known only then.
    const std::size_t held = layout.compressed ? kMostRecords : (end - layout.firstRecord) / layout.recordLength;
    layout.records = static_cast<std::size_t>(std::min<std::uint64_t>({layout.countedRecords, held, kMostRecords}));
    const bool wide = layout.pointFormat >= kFirstWidePointFormat;
    layout.classOffset = wide ? 16 : 15;
    layout.classMask = wide ? 0xFF : 0x1F;
    layout.withheldOffset = 15;
    layout.withheldMask = wide ? kWideWithheld : kNarrowWithheld;
    result.layout = layout;
    return result;
}

void tallyLasRecords(std::string_view records, const LasLayout& layout, LasClassTally& tally) {
    eachRecord(records, layout, [&](const char* record) {
        ++(isWithheld(record, layout) ? tally.withheld : tally.counts)[classOf(record, layout)];
    });
}

LasClassChoice defaultLasClasses(const LasClassCounts& counts) {
    LasClassChoice choice{};
    if (counts[kLasGroundClass] > 0)
        choice[kLasGroundClass] = true;
    else
        choice.fill(true);
    return choice;
}

LasClassAnswer defaultLasAnswer(const LasClassTally& tally) { return {defaultLasClasses(tally.counts), false}; }

LasPointCollector::LasPointCollector(const LasLayout& layout, const LasClassAnswer& answer, std::vector<SurveyPoint>& points)
    : layout_(layout), answer_(answer), points_(points), boxUsable_(isUsableBox(layout)) {
    for (std::size_t code = 0; code < classRecords_.size(); ++code)
        if (answer_.classes[code]) classRecords_[code] = classRecord(static_cast<int>(code), layout_.versionMinor);
}

void LasPointCollector::add(std::string_view records, std::size_t firstIndex) {
    // Read into locals: the points written below are doubles too, so the
    // compiler would otherwise read these again for every record.
    const std::array<double, 3> scale = layout_.scale, offset = layout_.offset;
    std::array<double, 3> low{}, high{};  // the header's box, a step of the scale wider
    for (std::size_t k = 0; k < 3; ++k) {
        const double step = std::abs(scale[k]);
        low[k] = boxUsable_ ? layout_.lowest[k] - step : -std::numeric_limits<double>::infinity();
        high[k] = boxUsable_ ? layout_.highest[k] + step : std::numeric_limits<double>::infinity();
    }
    const LasClassChoice classes = answer_.classes;
    const bool keepWithheld = answer_.keepWithheld;
    std::uint64_t withheld = 0, tooLarge = 0, outside = 0;
    std::size_t index = firstIndex;
    eachRecord(records, layout_, [&](const char* record) {
        const std::size_t number = ++index;  // numbered from 1
        const std::uint8_t code = classOf(record, layout_);
        if (!classes[code]) return;
        if (!keepWithheld && isWithheld(record, layout_)) {
            ++withheld;
            return;
        }
        std::int32_t stored[3];
        std::memcpy(stored, record, sizeof stored);
        double at[3];
        for (std::size_t k = 0; k < 3; ++k) at[k] = stored[k] * scale[k] + offset[k];
        if (!isUsableCoordinate(at[0]) || !isUsableCoordinate(at[1]) || !isUsableCoordinate(at[2])) {
            ++tooLarge;
            return;
        }
        const bool out = at[0] < low[0] || at[0] > high[0] || at[1] < low[1] || at[1] > high[1] ||
                         at[2] < low[2] || at[2] > high[2];
        outside += out ? 1u : 0u;
        SurveyPoint& p = points_.emplace_back(classRecords_[code]);
        p.number = static_cast<std::int32_t>(number);
        p.easting = at[0];
        p.northing = at[1];
        p.elevation = at[2];
    });
    withheldLeftOut_ += withheld;
    tooLarge_ += tooLarge;
    outsideBox_ += outside;
}

void LasPointCollector::addNotes(ReadDiagnostics& diagnostics) const {
    if (withheldLeftOut_ > 0)
        diagnostics.messages.push_back("Left out " + pointsText(withheldLeftOut_) + " the file marks as withheld.");
    if (tooLarge_ > 0)
        diagnostics.messages.push_back("Left out " + pointsText(tooLarge_) +
                                       " whose coordinates are too large to be survey coordinates.");
    if (outsideBox_ > 0)
        diagnostics.messages.push_back(pointsText(outsideBox_) + (outsideBox_ == 1 ? " lies" : " lie") +
                                       " outside the bounding box the file's header gives; " +
                                       (outsideBox_ == 1 ? "it is" : "they are") + " kept.");
}

LasReadResult readLasRecords(const LasLayout& layout, const LasRecordRuns& runs, const LasClassQuestion& ask) {
    LasReadResult result;
    if (layout.records == 0) {
        addLayoutNotes(layout, result.diagnostics);
        result.diagnostics.messages.emplace_back("The LAS file holds no points.");
        return result;
    }
    LasClassTally tally;
    tally.versionMinor = layout.versionMinor;
    runs([&](std::string_view records, std::size_t) { tallyLasRecords(records, layout, tally); });
    const LasClassAnswer answer = ask ? ask(tally) : defaultLasAnswer(tally);
    std::size_t chosen = 0, chosenWithheld = 0;
    for (std::size_t code = 0; code < tally.counts.size(); ++code)
        if (answer.classes[code]) {
            chosen += tally.counts[code] + (answer.keepWithheld ? tally.withheld[code] : 0);
            chosenWithheld += tally.withheld[code];
        }
    if (chosen == 0) {
        const std::string names = chosenClassesText(answer.classes, layout.versionMinor);
        result.diagnostics.messages.push_back(
            names.empty()          ? "No class of points was chosen."
            : chosenWithheld > 0 ? "The file holds only withheld points of the classes chosen: " + names + "."
                                   : "The file holds no points of the classes chosen: " + names + ".");
        return result;
    }

    std::vector<SurveyPoint>& points = result.read.points;
    points.reserve(chosen + 3);  // exactly: the counting pass knows
    LasPointCollector collector(layout, answer, points);
    runs([&](std::string_view records, std::size_t firstIndex) { collector.add(records, firstIndex); });
    result.read.pointCount = static_cast<int>(points.size());
    if (result.read.pointCount > 0)
        points.resize(points.size() + 3);
    else
        std::vector<SurveyPoint>().swap(points);
    addLayoutNotes(layout, result.diagnostics);
    collector.addNotes(result.diagnostics);
    return result;
}

namespace {

// A LAZ file's records, decoded chunk by chunk on both cores, then counted
// and read as a LAS file's own.
LasReadResult readCompressedLasRecords(std::string_view bytes, const LasLayout& layout, const LasClassQuestion& ask) {
    LasReadResult result;
    const LazSchemeRead scheme = readLazScheme(bytes);
    if (!scheme.refusal.empty() || scheme.scheme.recordLength != layout.recordLength) {
        result.diagnostics.messages.push_back(
            !scheme.refusal.empty()
                ? scheme.refusal
                : "The LAZ file is damaged: its compressed items make records of " +
                      std::to_string(scheme.scheme.recordLength) + " bytes where its header says " +
                      std::to_string(layout.recordLength) + ".");
        return result;
    }
    const std::uint64_t end = layout.extendedRecordsStart > 0 ? layout.extendedRecordsStart : bytes.size();
    LazDecodeResult decoded = decodeLazPoints(bytes, scheme.scheme, {layout.firstRecord, layout.records, end});
    // The decoded records, cut to the bytes every rule reads; what the file
    // lost is the decoder's to say, once.
    LasLayout kept = layout;
    kept.firstRecord = 0;
    kept.recordLength = kLazKeptRecordBytes;
    kept.records = static_cast<std::size_t>(decoded.points);
    kept.countedRecords = decoded.points;
    int pass = 0;
    result = readLasRecords(
        kept,
        [&](const LasRecordTaker& take) {
            ++pass;
            for (LazChunkPoints& chunk : decoded.chunks) {
                take({reinterpret_cast<const char*>(chunk.records.data()), chunk.records.size()},
                     static_cast<std::size_t>(chunk.firstIndex));
                // The points are made on the second pass: each chunk's records
                // go as soon as they are read.
                if (pass == 2) std::vector<std::uint8_t>().swap(chunk.records);
            }
        },
        ask);
    if (!decoded.problem.empty())
        result.diagnostics.messages.insert(result.diagnostics.messages.begin(), decoded.problem);
    return result;
}

}  // namespace

LasReadResult readLasBytes(std::string_view bytes, const LasClassQuestion& ask, const ReadProgress& progress) {
    const LasLayoutRead header = readLasLayout(bytes);
    if (!header.layout) {
        LasReadResult result;
        result.diagnostics.messages.push_back(header.refusal);
        return result;
    }
    LasReadResult result = header.layout->compressed
                               ? readCompressedLasRecords(bytes, *header.layout, ask)
                               : readLasRecords(*header.layout, recordRunsOf(bytes, *header.layout, progress), ask);
    result.coordinateSystem = readLasCoordinateSystem(bytes);
    return result;
}

std::optional<LasReadResult> readLasFile(const std::string& path, const LasClassQuestion& ask) {
    MappedFile file;
    if (!file.open(path)) return std::nullopt;
    return readLasBytes(file.bytes(), ask, [&](std::size_t from, std::size_t to) { file.releaseRange(from, to); });
}

}  // namespace vellacor
