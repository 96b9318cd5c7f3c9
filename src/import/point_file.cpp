#include "import/point_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <new>
#include <string>
#include <system_error>

#include "import/line_count.h"
#include "import/mapped_file.h"
#include "import/text_scanner.h"
#include "system/page_advice.h"
#include "system/two_cores.h"
#include "model/utf8_text.h"
#include "model/number_text.h"
#include "model/site_document.h"

namespace vellacor {

namespace {

constexpr std::size_t kMostPoints = INT32_MAX - 3;  // the count and the spare records fit an int
constexpr std::size_t kProgressStep = std::size_t{2} << 20;
constexpr std::size_t kQuotedLength = 60;  // of the first skipped line, in the message
// Texts shorter than this are read on one core.
constexpr std::size_t kTwoCoreBytes = std::size_t{1} << 20;

std::string_view withoutByteOrderMark(std::string_view text) {
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

struct PointFields {
    std::int32_t number = 0;
    double first = 0, second = 0, elevation = 0;
    std::string_view description;
};

// One PNEZD/PENZD record: integer, separator, number, separator, number,
// separator, number, then one character (the separator before the
// description) and the description up to the line end. A line that ends
// right after the elevation has no description: the next line is the next
// point, not this one's description (survey files without descriptions are
// common, and reading them two lines a point would lose every other point).
bool readPointRecord(TextScanner& in, PointFields& f) {
    if (!in.readInteger(f.number)) return false;
    if (!in.skipChar() || !in.readNumber(f.first)) return false;
    if (!in.skipChar() || !in.readNumber(f.second)) return false;
    if (!in.skipChar() || !in.readNumber(f.elevation)) return false;
    if (in.atLineEnd()) {
        f.description = {};
    } else {
        in.skipChar();
        f.description = in.restOfLine();
    }
    return isUsableCoordinate(f.first) && isUsableCoordinate(f.second) && isUsableCoordinate(f.elevation);
}

// One XYZ record: three numbers, each followed by exactly one character.
bool readXyzRecord(TextScanner& in, Vec3& v) {
    if (!in.readNumber(v.x)) return false;
    if (!in.skipChar() || !in.readNumber(v.y)) return false;
    if (!in.skipChar() || !in.readNumber(v.z)) return false;
    in.skipChar();
    return isUsableCoordinate(v.x) && isUsableCoordinate(v.y) && isUsableCoordinate(v.z);
}

bool startsWithNumber(std::string_view text) {
    TextScanner in(text);
    double value;
    return in.readNumber(value);
}

void noteSkipped(SkippedLines& skipped, std::string_view text, std::size_t start) {
    if (skipped.count == INT32_MAX) return;
    if (skipped.count++ > 0) return;
    skipped.firstLine = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(start), '\n'));
    TextScanner line(text.substr(start));
    const std::string_view whole = line.restOfLine();
    const std::size_t kept = utf8CutLength(whole, kQuotedLength);
    skipped.firstText.assign(whole.substr(0, kept));
    if (kept < whole.size()) skipped.firstText += "...";
}

// How far a walk through the records went.
struct WalkEnd {
    SkippedLines skipped;
    std::size_t end = 0;   // where the next record would start
    bool readAny = false;  // it met at least one record (or a line it skipped)
};

// Calls `readRecord` at each record of `text` from `from` on (after the white
// space before it) until one would start at or after `to`; it reads one and
// says whether it is a point. A record that is not one costs the line it
// starts on: reading goes on at the next line, and the line is counted as
// skipped, unless it is the first line of the file (`firstLine`) and does
// not start with a number (a header).
template <class ReadRecord>
WalkEnd walkRecords(std::string_view text, std::size_t from, std::size_t to, bool firstLine, ReadRecord&& readRecord,
                    const ReadProgress& progress) {
    WalkEnd walk;
    TextScanner in(text);
    in.seek(from);
    std::size_t released = from, nextProgress = from + kProgressStep;
    for (in.skipSpace(); !in.atEnd() && in.offset() < to; in.skipSpace()) {
        const std::size_t start = in.offset();
        if (!readRecord(in)) {
            if (!firstLine || startsWithNumber(text.substr(start))) noteSkipped(walk.skipped, text, start);
            in.seek(start);
            in.skipLine();
        }
        firstLine = false;
        walk.readAny = true;
        if (progress && in.offset() >= nextProgress) {
            progress(released, in.offset());
            released = in.offset();
            nextProgress = in.offset() + kProgressStep;
        }
    }
    walk.end = in.offset();
    return walk;
}

template <class ReadRecord>
SkippedLines walkAllRecords(std::string_view text, ReadRecord&& readRecord, const ReadProgress& progress) {
    return walkRecords(text, 0, text.size(), true, readRecord, progress).skipped;
}

std::size_t countNewlines(std::string_view text, std::size_t from, std::size_t to, const ReadProgress& progress) {
    std::size_t lines = 0;
    for (std::size_t at = from; at < to; at += kProgressStep) {
        const std::string_view part = text.substr(at, std::min(kProgressStep, to - at));
        lines += countLineFeeds(part);
        if (progress) progress(at, at + part.size());
    }
    return lines;
}

bool adopt(SiteDocument& document, PointReadResult&& read) {
    document.points = std::move(read.points);
    document.pointCount = read.pointCount;
    document.skippedLines = std::move(read.skipped);
    return document.pointCount > 0;
}

SkippedLines joinSkipped(const SkippedLines& first, const SkippedLines& second) {
    SkippedLines joined = first.count > 0 ? first : second;
    joined.count = static_cast<int>(
        std::min<std::int64_t>(INT32_MAX, static_cast<std::int64_t>(first.count) + second.count));
    return joined;
}

void fillPoint(SurveyPoint& p, const PointFields& f, PointLayout layout) {
    p.number = f.number;
    // Stored as easting then northing; PNEZD has northing first.
    p.easting = layout == PointLayout::PNEZD ? f.second : f.first;
    p.northing = layout == PointLayout::PNEZD ? f.first : f.second;
    p.elevation = f.elevation;
    setDescription(p, f.description);
    p.useInSurface = isValidElevation(p.elevation);
}

// One pass on one core: for short texts, where a thread costs more than it saves.
PointReadResult pointsOnOneCore(std::string_view text, PointLayout layout, const ReadProgress& progress) {
    PointReadResult result;
    std::vector<SurveyPoint>& points = result.points;
    // A point ends its line, so the lines bound the count. One pass fills the
    // array; the records reserved beyond the points are never touched and
    // cost address space only.
    points.reserve(std::min(countNewlines(text, 0, text.size(), progress) + 1, kMostPoints) + 3);
    PointFields f;
    result.skipped = walkAllRecords(
        text,
        [&](TextScanner& in) {
            if (!readPointRecord(in, f) || points.size() >= kMostPoints) return false;
            fillPoint(points.emplace_back(), f, layout);
            return true;
        },
        progress);
    result.pointCount = static_cast<int>(points.size());
    return result;
}

// An XYZ point, numbered by its place in the file.
void fillXyzPoint(SurveyPoint& p, const Vec3& v, std::size_t index) {
    p.number = static_cast<std::int32_t>(index);
    p.easting = v.x;
    p.northing = v.y;
    p.elevation = v.z;
    p.useInSurface = true;
    p.displayMark = PointMark::Ordinary;
}

PointReadResult xyzPointsOnOneCore(std::string_view text, const ReadProgress& progress) {
    PointReadResult result;
    // A file holds a point a line, nearly always: the lines size the array and
    // one pass reads the points (a line of several points grows it). The three
    // records the surface adds around the site fit without moving the array.
    std::vector<SurveyPoint>& points = result.points;
    points.reserve(std::min(countNewlines(text, 0, text.size(), progress) + 1, kMostPoints) + 3);
    Vec3 v;
    result.skipped = walkAllRecords(
        text,
        [&](TextScanner& in) {
            if (!readXyzRecord(in, v) || points.size() >= kMostPoints) return false;
            const std::size_t index = points.size();
            fillXyzPoint(points.emplace_back(), v, index);
            return true;
        },
        progress);
    result.pointCount = static_cast<int>(points.size());
    return result;
}

// Each core reads half the lines: the second from the first line that starts
// past the middle, writing its points after room for one per line of the
// first half, and the gap closes when both are done. A record that runs over
// the middle (a number's leading line ends are skipped, so a record broken
// after a separator runs on into the next line) shows
// as a first half that does not end where the second began: then the second
// half's work is dropped and the first core reads on from where it stopped.
// `readPoint(in, point, index)` reads one record into the point that will be
// the index-th of the file when the gap has closed; `numbered` says that the
// points carry that index as their number, so those moved to close the gap
// are numbered again. Nothing when a half finds more points than it has room
// for (lines of several points): then one core must read the text.
template <class ReadPoint>
std::optional<PointReadResult> readOnTwoCores(std::string_view text, std::size_t split, std::size_t spare,
                                              const ReadProgress& progress, ReadPoint&& readPoint, bool numbered) {
    std::size_t firstLines = 0, secondLines = 0;
    runOnTwoCores([&] { secondLines = countNewlines(text, split, text.size(), progress); },
                  [&] { firstLines = countNewlines(text, 0, split, progress); });
    const std::size_t lines = firstLines + secondLines + 1;
    if (lines >= kMostPoints) return std::nullopt;

    PointReadResult result;
    std::vector<SurveyPoint>& points = result.points;
    points.reserve(lines + spare);
    // Fresh memory is slow to hand out the first time it is written: both
    // cores take half of the array's pages before it is filled.
    const std::size_t bytes = lines * sizeof(SurveyPoint), half = bytes / 2;
    auto* storage = reinterpret_cast<unsigned char*>(points.data());
    runOnTwoCores([&] { prefaultPages(storage + half, bytes - half); }, [&] { prefaultPages(storage, half); });
    points.resize(lines);
    TextScanner spaces(text);
    spaces.seek(split);
    spaces.skipSpace();
    const std::size_t secondStart = spaces.offset();

    // A half's reader: writes at `next` while there is room below `room`,
    // and past it only notes that the room ran out.
    auto reader = [&](std::size_t& next, std::size_t room, bool& outOfRoom) {
        return [&, room, beyondRoom = SurveyPoint()](TextScanner& in) mutable {
            if (next == room) {
                outOfRoom = true;
                return readPoint(in, beyondRoom, next);
            }
            if (!readPoint(in, points[next], next)) return false;
            ++next;
            return true;
        };
    };
    std::size_t firstNext = 0, secondNext = firstLines;
    bool firstOutOfRoom = false, secondOutOfRoom = false;
    WalkEnd first, second;
    runOnTwoCores(
        [&] {
            second = walkRecords(text, secondStart, text.size(), false, reader(secondNext, lines, secondOutOfRoom),
                                 progress);
        },
        [&] { first = walkRecords(text, 0, secondStart, true, reader(firstNext, firstLines, firstOutOfRoom), progress); });
    if (firstOutOfRoom) return std::nullopt;

    if (first.end == secondStart && first.readAny) {
        if (secondOutOfRoom) return std::nullopt;
        if (firstNext < firstLines) {
            std::copy(points.begin() + static_cast<std::ptrdiff_t>(firstLines),
                      points.begin() + static_cast<std::ptrdiff_t>(secondNext),
                      points.begin() + static_cast<std::ptrdiff_t>(firstNext));
            if (numbered)
                for (std::size_t i = firstNext; i < firstNext + (secondNext - firstLines); ++i)
                    points[i].number = static_cast<std::int32_t>(i);
        }
        result.pointCount = static_cast<int>(firstNext + (secondNext - firstLines));
        result.skipped = joinSkipped(first.skipped, second.skipped);
    } else {
        // The second half's records are dropped whole: a shorter description
        // written over one of them must not keep the tail of the longer one.
        std::fill(points.begin() + static_cast<std::ptrdiff_t>(firstLines),
                  points.begin() + static_cast<std::ptrdiff_t>(secondNext), SurveyPoint());
        bool restOutOfRoom = false;
        const WalkEnd rest = walkRecords(text, first.end, text.size(), !first.readAny,
                                         reader(firstNext, lines, restOutOfRoom), progress);
        if (restOutOfRoom) return std::nullopt;
        result.pointCount = static_cast<int>(firstNext);
        result.skipped = joinSkipped(first.skipped, rest.skipped);
    }
    if (result.pointCount == 0)
        std::vector<SurveyPoint>().swap(points);
    else
        points.resize(static_cast<std::size_t>(result.pointCount));
    return result;
}

// Where the second core starts: the first line past the middle of a text
// long enough to be worth a thread; nothing otherwise.
std::optional<std::size_t> twoCoreSplit(std::string_view text) {
    const std::size_t lineAfterMiddle = text.find('\n', text.size() / 2);
    if (text.size() < kTwoCoreBytes || lineAfterMiddle == std::string_view::npos) return std::nullopt;
    return lineAfterMiddle + 1;
}

}  // namespace

PointReadResult readPointText(std::string_view text, PointLayout layout, const ReadProgress& progress) {
    text = withoutByteOrderMark(text);
    std::optional<PointReadResult> result;
    if (const std::optional<std::size_t> split = twoCoreSplit(text)) {
        result = readOnTwoCores(
            text, *split, 3, progress,
            [layout](TextScanner& in, SurveyPoint& p, std::size_t) {
                PointFields f;
                if (!readPointRecord(in, f)) return false;
                fillPoint(p, f, layout);
                return true;
            },
            false);
    }
    if (!result) result = pointsOnOneCore(text, layout, progress);
    if (result->pointCount > 0) result->points.resize(result->points.size() + 3);
    return std::move(*result);
}

PointReadResult readPointTextOnOneCore(std::string_view text, PointLayout layout) {
    PointReadResult result = pointsOnOneCore(withoutByteOrderMark(text), layout, {});
    if (result.pointCount > 0) result.points.resize(result.points.size() + 3);
    return result;
}

PointReadResult readXyzText(std::string_view text, const ReadProgress& progress) {
    text = withoutByteOrderMark(text);
    std::optional<PointReadResult> result;
    if (const std::optional<std::size_t> split = twoCoreSplit(text))
        result = readOnTwoCores(
            text, *split, 3, progress,
            [](TextScanner& in, SurveyPoint& p, std::size_t index) {
                Vec3 v;
                if (!readXyzRecord(in, v)) return false;
                fillXyzPoint(p, v, index);
                return true;
            },
            true);
    return result ? std::move(*result) : xyzPointsOnOneCore(text, progress);
}

PointReadResult readXyzTextOnOneCore(std::string_view text) { return xyzPointsOnOneCore(withoutByteOrderMark(text), {}); }

std::optional<PointReadResult> readPointFile(const std::string& path, PointLayout layout) {
    MappedFile file;
    if (!file.open(path)) return std::nullopt;
    return readPointText(file.bytes(), layout, [&](std::size_t from, std::size_t to) { file.releaseRange(from, to); });
}

std::optional<PointReadResult> readXyzFile(const std::string& path) {
    MappedFile file;
    if (!file.open(path)) return std::nullopt;
    return readXyzText(file.bytes(), [&](std::size_t from, std::size_t to) { file.releaseRange(from, to); });
}

std::string skippedLinesMessage(const SkippedLines& skipped) {
    if (skipped.count == 1)
        return "Skipped 1 line that could not be read as a point.\n\nLine " + std::to_string(skipped.firstLine) +
               ":\n" + skipped.firstText;
    return "Skipped " + std::to_string(skipped.count) + " lines that could not be read as points.\n\nThe first, line " +
           std::to_string(skipped.firstLine) + ":\n" + skipped.firstText;
}

PointFileLoad readPointFile(SiteDocument& document, const std::string& path, PointLayout layout) {
    PointFileLoad load;
    try {
        std::optional<PointReadResult> read = readPointFile(path, layout);
        if (!read) {
            load.diagnostics.messages.emplace_back("Unable to open point file!");
            return load;
        }
        load.pointsRead = adopt(document, std::move(*read));
    } catch (const std::bad_alloc&) {
        document.pointCount = 0;
        load.diagnostics.messages.emplace_back("Unable to allocate memory for storing points!");
    }
    return load;
}

PointFileLoad readXyzFile(SiteDocument& document, const std::string& path) {
    PointFileLoad load;
    try {
        std::optional<PointReadResult> read = readXyzFile(path);
        load.pointsRead = read && adopt(document, std::move(*read));  // no message of its own when it cannot be opened
    } catch (const std::bad_alloc&) {
        document.pointCount = 0;
        load.diagnostics.messages.emplace_back("Unable to allocate storage for Points!");
    }
    return load;
}

}  // namespace vellacor
