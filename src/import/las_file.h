#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/las_classes.h"
#include "import/las_crs.h"
#include "import/point_file.h"
#include "model/read_diagnostics.h"

namespace vellacor {

// Whether the bytes begin as every LAS point cloud does ("LASF").
bool startsLikeLas(std::string_view firstBytes);
// The same for a file on disk: reads its first four bytes only.
bool isLasFile(const std::string& path);

// Every rule about a single record reads its first 17 bytes alone (the
// coordinates, intensity, the flag bytes and the class), which every point
// format begins with in the same places.
inline constexpr std::size_t kLasRecordBytesRead = 17;

// Where a LAS file keeps its point records and how to read them, from its
// header, checked against the file's size.
struct LasLayout {
    int versionMajor = 1;
    int versionMinor = 0;
    int pointFormat = 0;            // 0 to 10
    bool compressed = false;        // LAZ: the records are decoded from chunks, not read where they lie
    std::size_t recordLength = 0;   // at least the format's own fields; the rest (extra bytes) is passed over
    std::size_t firstRecord = 0;    // the offset of the first record
    std::uint64_t countedRecords = 0;  // as the header counts them (the 64-bit count of 1.4 when set)
    std::size_t records = 0;        // whole records the file holds, at most the counted ones
    std::uint64_t extendedRecordsStart = 0;  // 1.4: where the extended variable-length records start; 0: none
    std::size_t classOffset = 0;    // of the class byte in a record
    std::uint8_t classMask = 0;     // formats 0-5 keep flags in the class byte's top three bits
    std::size_t withheldOffset = 0;  // the byte and bit that mark a withheld point
    std::uint8_t withheldMask = 0;
    std::array<double, 3> scale{};  // x, y, z: coordinate = stored integer * scale + offset
    std::array<double, 3> offset{};
    std::array<double, 3> lowest{};   // the header's bounding box: smallest x, y, z
    std::array<double, 3> highest{};  // and largest
};

// The layout, or why the file cannot be read (a damaged or foreign file) in
// `refusal`. A compressed file's layout describes its records as they are
// once decoded; where they lie is for the LAZ decoder to find.
struct LasLayoutRead {
    std::optional<LasLayout> layout;
    std::string refusal;
};
LasLayoutRead readLasLayout(std::string_view bytes);

// The points of each class, withheld points apart.
struct LasClassTally {
    LasClassCounts counts{};    // points not withheld
    LasClassCounts withheld{};  // withheld points (marked to be left out of use)
    int versionMinor = 4;       // of the file's LAS version, which names its classes
};

// Adds the records to the tally. `records` is a run of whole records
// `layout.recordLength` bytes apart, the first at its start: the file's own,
// or records another reader made (at least kLasRecordBytesRead bytes each).
void tallyLasRecords(std::string_view records, const LasLayout& layout, LasClassTally& tally);

// Which points become the site: the classes chosen and whether withheld
// points of them are kept.
struct LasClassAnswer {
    LasClassChoice classes{};
    bool keepWithheld = false;
};

// Asked once the classes the file holds are counted.
using LasClassQuestion = std::function<LasClassAnswer(const LasClassTally& tally)>;

// The ground class when the file has any ground point, otherwise every class.
LasClassChoice defaultLasClasses(const LasClassCounts& counts);
// That choice among the points that are not withheld, which are left out.
LasClassAnswer defaultLasAnswer(const LasClassTally& tally);

// Turns runs of records, handed to it in file order, into the survey points
// the answer chose: each numbered by its place in the file from 1, its
// class name as the description. Points of other classes and withheld
// points (unless kept) are passed over; a point whose coordinates lie beyond
// kLargestCoordinate is left out; a point outside the header's bounding box
// by more than a step of the coordinate scale is kept and counted.
class LasPointCollector {
public:
    LasPointCollector(const LasLayout& layout, const LasClassAnswer& answer, std::vector<SurveyPoint>& points);
    // Records as tallyLasRecords takes them, in file order, the first of them
    // at `firstIndex` in the file (from 0; a reader that lost records in
    // between numbers the rest by their place all the same).
    void add(std::string_view records, std::size_t firstIndex);
    // What the user should know of the points passed over or out of place.
    void addNotes(ReadDiagnostics& diagnostics) const;

private:
    LasLayout layout_;
    LasClassAnswer answer_;
    std::vector<SurveyPoint>& points_;
    std::array<SurveyPoint, kLasClassCount> classRecords_{};
    bool boxUsable_ = false;
    std::uint64_t tooLarge_ = 0;
    std::uint64_t withheldLeftOut_ = 0;
    std::uint64_t outsideBox_ = 0;
};

// The points of a LAS file's chosen classes, in file order, then the three
// spare records, and the coordinate system its records name. What the user
// should know (a refusal, a file shorter than its header says, points left
// out or out of place) is in `diagnostics`.
struct LasReadResult {
    PointReadResult read;
    ReadDiagnostics diagnostics;
    LasCoordinateSystem coordinateSystem;
};

// Hands a file's records, in file order, to `take` in runs of whole records,
// each with the place of its first record in the file (from 0).
using LasRecordTaker = std::function<void(std::string_view records, std::size_t firstIndex)>;
using LasRecordRuns = std::function<void(const LasRecordTaker& take)>;

// The points of records laid out as `layout` says, which `runs` hands over
// twice: once to count the classes before `ask` chooses, once to read them.
LasReadResult readLasRecords(const LasLayout& layout, const LasRecordRuns& runs, const LasClassQuestion& ask);

// Reads the bytes of a whole LAS file, without copying them. Throws
// std::bad_alloc when the point array cannot be had.
LasReadResult readLasBytes(std::string_view bytes, const LasClassQuestion& ask, const ReadProgress& progress = {});

// The same over a file, mapped rather than copied, its pages let go as the
// reading passes them. Nothing when the file cannot be opened.
std::optional<LasReadResult> readLasFile(const std::string& path, const LasClassQuestion& ask);

}  // namespace vellacor
