#include "import/point_file.h"

#include <charconv>
#include <new>
#include <string>
#include <system_error>

#include "import/text_scanner.h"
#include "app/site_model.h"
#include "platform/ui.h"

namespace vellacor {

namespace {

struct PointLine {
    std::int32_t number = 0;
    double first = 0, second = 0, elevation = 0;
};

// One PNEZD/PENZD line: integer, separator, number, separator, number,
// separator, number, then one character (the separator before the
// description, or the line end). Both passes call this, so they always stop
// at the same line.
bool readPointLine(TextScanner& in, PointLine& line) {
    if (!in.readInteger(line.number)) return false;
    if (!in.skipChar() || !in.readNumber(line.first)) return false;
    if (!in.skipChar() || !in.readNumber(line.second)) return false;
    if (!in.skipChar() || !in.readNumber(line.elevation)) return false;
    in.skipChar();  // a file may end right after the elevation
    return true;
}

bool readXyzTriple(TextScanner& in, double& x, double& y, double& z) {
    if (!in.readNumber(x)) return false;
    if (!in.skipChar() || !in.readNumber(y)) return false;
    if (!in.skipChar() || !in.readNumber(z)) return false;
    in.skipChar();
    return true;
}

}  // namespace

bool readPointFile(SiteModel& model, Ui& ui, const std::string& path, PointLayout layout) {
    TextSource source;
    if (!source.open(path)) {
        ui.message("Unable to open point file!");
        return false;
    }
    source.skipByteOrderMark();
    TextScanner in(source);

    std::size_t count = 0;
    PointLine line;
    while (readPointLine(in, line)) {
        in.skipLine();
        ++count;
    }
    if (count == 0 || count > static_cast<std::size_t>(INT32_MAX - 3)) {
        model.document.pointCount = 0;
        return false;
    }

    try {
        model.document.points.assign(count + 3, SurveyPoint{});
    } catch (const std::bad_alloc&) {
        model.document.pointCount = 0;
        ui.message("Unable to allocate memory for storing points!");
        return false;
    }

    source.rewind();
    source.skipByteOrderMark();
    std::string description;
    std::size_t filled = 0;
    while (filled < count && readPointLine(in, line)) {
        in.readRestOfLine(description, kDescriptionLength);
        SurveyPoint& p = model.document.points[filled++];
        p.number = line.number;
        // Stored as easting then northing; PNEZD has northing first.
        p.easting = layout == PointLayout::PNEZD ? line.second : line.first;
        p.northing = layout == PointLayout::PNEZD ? line.first : line.second;
        p.elevation = line.elevation;
        setDescription(p, description);
        p.useInSurface = isValidElevation(p.elevation) ? 1 : 0;
    }
    // The file could change between the passes; never count records we did not fill.
    model.document.pointCount = static_cast<int>(filled);
    return filled > 0;
}

bool readXyzFile(SiteModel& model, Ui& ui, const std::string& path) {
    TextSource source;
    if (!source.open(path)) return false;
    source.skipByteOrderMark();
    TextScanner in(source);

    std::size_t count = 0;
    double x, y, z;
    while (readXyzTriple(in, x, y, z)) ++count;
    if (count == 0 || count > static_cast<std::size_t>(INT32_MAX - 3)) {
        model.document.pointCount = 0;
        return false;
    }
    try {
        model.document.points.assign(count, SurveyPoint{});
    } catch (const std::bad_alloc&) {
        model.document.pointCount = 0;
        ui.message("Unable to allocate storage for Points!");
        return false;
    }

    source.rewind();
    source.skipByteOrderMark();
    std::size_t filled = 0;
    while (filled < count && readXyzTriple(in, x, y, z)) {
        SurveyPoint& p = model.document.points[filled];
        p.number = static_cast<std::int32_t>(filled);
        p.easting = x;
        p.northing = y;
        p.elevation = z;
        p.useInSurface = 1;
        p.displayMark = 1;
        ++filled;
    }
    model.document.pointCount = static_cast<int>(filled);
    return filled > 0;
}

namespace {

void appendFixed(std::string& out, double value, int decimals) {
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec == std::errc()) out.append(buffer, end);
}

void appendInteger(std::string& out, std::int32_t value) {
    char buffer[16];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec == std::errc()) out.append(buffer, end);
}

}  // namespace

bool writePointFile(std::FILE* file, const SiteModel& model) {
    const bool penzd = model.document.pointFileFormat == PointFileFormat::PENZD;
    std::string chunk;
    chunk.reserve(1 << 20);
    bool ok = true;
    for (int i = 0; i < model.document.pointCount && ok; ++i) {
        const SurveyPoint& p = model.document.points[static_cast<std::size_t>(i)];
        appendInteger(chunk, p.number);
        chunk += ',';
        appendFixed(chunk, penzd ? p.easting : p.northing, 6);
        chunk += ',';
        appendFixed(chunk, penzd ? p.northing : p.easting, 6);
        chunk += ',';
        appendFixed(chunk, p.elevation, 3);
        chunk += ',';
        chunk += descriptionOf(p);
        chunk += "\r\n";
        if (chunk.size() > (1 << 20) - 512) {
            ok = std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
            chunk.clear();
        }
    }
    if (ok && !chunk.empty()) ok = std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
    return ok && std::fflush(file) == 0 && !std::ferror(file);
}

}  // namespace vellacor
