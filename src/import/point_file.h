#pragma once
#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/read_diagnostics.h"
#include "model/survey_point.h"

namespace vellacor {

struct SiteDocument;

enum class PointLayout { PNEZD, PENZD };

// What a reader made of a file's bytes.
struct PointReadResult {
    // pointCount records, then the spare records: three for PNEZD and PENZD,
    // none for XYZ. Empty when no point was read.
    std::vector<SurveyPoint> points;
    int pointCount = 0;
    SkippedLines skipped;
};

// Told now and then that a reader is done with the bytes in [from, to), so
// that the caller may drop them (a later pass may look at them again). May be
// called from two threads at once, for different bytes.
using ReadProgress = std::function<void(std::size_t from, std::size_t to)>;

// PNEZD or PENZD text: one point per line, number, two plan coordinates,
// elevation, description. A first line that does not start with a number is a
// header and is passed over; any other line that cannot be read (a field that
// is empty or not a number, a coordinate beyond kLargestCoordinate) is
// skipped and counted. Blank lines are neither. A UTF-8 byte order mark is
// skipped. Throws std::bad_alloc when the array cannot be had.
PointReadResult readPointText(std::string_view text, PointLayout layout, const ReadProgress& progress = {});

// XYZ text: numbers in threes, points numbered from 0 in file order; header
// and unreadable lines as for readPointText.
PointReadResult readXyzText(std::string_view text, const ReadProgress& progress = {});

// The same reads on one core, whatever the length of the text: what a long
// text read on two cores must give, to the byte.
PointReadResult readPointTextOnOneCore(std::string_view text, PointLayout layout);
PointReadResult readXyzTextOnOneCore(std::string_view text);

// The same over a file, mapped rather than copied. Nothing when the file
// cannot be opened.
std::optional<PointReadResult> readPointFile(const std::string& path, PointLayout layout);
std::optional<PointReadResult> readXyzFile(const std::string& path);

// The message shown after a load that skipped lines.
std::string skippedLinesMessage(const SkippedLines& skipped);

// A point file read into the document, with what to tell the user about it.
struct PointFileLoad {
    bool pointsRead = false;  // at least one point
    ReadDiagnostics diagnostics;
};

// The readers for the open path: fill the document's point array and count, and
// note the skipped lines for the message after the load. A PNEZD or PENZD file
// that cannot be opened, or any array that cannot be had, brings a message.
PointFileLoad readPointFile(SiteDocument& document, const std::string& path, PointLayout layout);
PointFileLoad readXyzFile(SiteDocument& document, const std::string& path);

}  // namespace vellacor
