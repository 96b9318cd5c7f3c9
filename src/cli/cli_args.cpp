#include "cli/cli_args.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>

#include "app/output_format.h"
#include "export/gis_crs.h"
#include "model/survey_point.h"

namespace vellacor {

namespace {

// The options that take the next argument as their value.
enum class Valued : std::uint8_t {
    To, Out, Format, As, Interval, Smoothing, Palette, SurfaceMode, Size, View, Orbit, Zoom, Light, From, ToPoint, Csv,
    AddBreaklines, Texture, LimitPolygon, Rain, Seed, Overlay, Frames, Datum, Polygon, Isopach, Classes, Layer, Cell, Crs,
    Boundary, Hide, MaxEdge, Thin
};

struct ValuedName {
    std::string_view name;
    Valued option;
};
struct SwitchName {
    std::string_view name;
    CliSwitch option;
};

constexpr ValuedName kValuedNames[] = {
    {"--to", Valued::To},
    {"--out", Valued::Out},
    {"--format", Valued::Format},
    {"--as", Valued::As},
    {"--interval", Valued::Interval},
    {"--smoothing", Valued::Smoothing},
    {"--palette", Valued::Palette},
    {"--surface-mode", Valued::SurfaceMode},
    {"--size", Valued::Size},
    {"--view", Valued::View},
    {"--orbit", Valued::Orbit},
    {"--zoom", Valued::Zoom},
    {"--light", Valued::Light},
    {"--from", Valued::From},
    {"--to", Valued::ToPoint},  // the section's far end; convert's --to is its output
    {"--csv", Valued::Csv},
    {"--add-breaklines", Valued::AddBreaklines},
    {"--texture", Valued::Texture},
    {"--limit-polygon", Valued::LimitPolygon},
    {"--rain", Valued::Rain},
    {"--seed", Valued::Seed},
    {"--overlay", Valued::Overlay},
    {"--frames", Valued::Frames},
    {"--datum", Valued::Datum},
    {"--polygon", Valued::Polygon},  // volume's limit, read as --limit-polygon is
    {"--isopach", Valued::Isopach},
    {"--classes", Valued::Classes},
    {"--layer", Valued::Layer},
    {"--cell", Valued::Cell},
    {"--crs", Valued::Crs},
    {"--boundary", Valued::Boundary},
    {"--hide", Valued::Hide},
    {"--max-edge", Valued::MaxEdge},
    {"--thin", Valued::Thin},
};
constexpr SwitchName kSwitchNames[] = {
    {"--surface", CliSwitch::Surface},   {"--points", CliSwitch::Points},
    {"--contours", CliSwitch::Contours}, {"--breaklines", CliSwitch::Breaklines},
    {"--triangles", CliSwitch::Triangles}, {"--labels", CliSwitch::Labels},
    {"--withheld", CliSwitch::Withheld},
};

// What one command accepts.
struct CommandOptions {
    std::string_view command;
    std::vector<Valued> valued;
    std::vector<CliSwitch> switches;
    bool writesFile;  // needs --to or --out
    bool takesSecondFile = false;
};

const std::vector<CommandOptions>& commandTable() {
    static const std::vector<CommandOptions> table = {
        {"info",
         {Valued::Format, Valued::Classes, Valued::Interval, Valued::Smoothing, Valued::AddBreaklines, Valued::Overlay,
          Valued::Crs, Valued::Boundary, Valued::Hide, Valued::MaxEdge, Valued::Thin},
         {CliSwitch::Surface, CliSwitch::Withheld},
         false},
        {"convert",
         {Valued::To, Valued::Format, Valued::Classes, Valued::As, Valued::Interval, Valued::Smoothing, Valued::AddBreaklines,
          Valued::LimitPolygon, Valued::Layer, Valued::Cell, Valued::Crs, Valued::Boundary, Valued::Hide, Valued::MaxEdge, Valued::Thin},
         {CliSwitch::Points, CliSwitch::Contours, CliSwitch::Breaklines, CliSwitch::Surface, CliSwitch::Withheld},
         true},
        {"render",
         {Valued::Out, Valued::Format, Valued::Classes, Valued::Size, Valued::Palette, Valued::SurfaceMode, Valued::Interval, Valued::View,
          Valued::Orbit, Valued::Zoom, Valued::Light, Valued::AddBreaklines, Valued::Texture, Valued::LimitPolygon,
          Valued::Rain, Valued::Seed, Valued::Overlay,
          Valued::Frames, Valued::Boundary, Valued::Hide, Valued::MaxEdge, Valued::Thin},
         {CliSwitch::Contours, CliSwitch::Triangles, CliSwitch::Points, CliSwitch::Labels, CliSwitch::Withheld},
         true},
        {"section",
         {Valued::Format, Valued::Classes, Valued::From, Valued::ToPoint, Valued::Out, Valued::Csv, Valued::Boundary,
          Valued::Hide, Valued::MaxEdge, Valued::Thin},
         {CliSwitch::Withheld},
         false},
        {"ponds", {Valued::Format, Valued::Classes, Valued::Boundary, Valued::Hide, Valued::MaxEdge, Valued::Thin}, {CliSwitch::Withheld}, false},
        {"volume",
         {Valued::Format, Valued::Classes, Valued::Datum, Valued::Polygon, Valued::Isopach, Valued::Boundary, Valued::Hide,
          Valued::MaxEdge, Valued::Thin},
         {CliSwitch::Withheld},
         false,
         true},
    };
    return table;
}

// The whole text as a number in [low, high], whatever the locale; nothing otherwise.
template <typename T>
std::optional<T> parseWhole(std::string_view text, T low, T high) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !(value >= low && value <= high)) return std::nullopt;
    return value;
}

bool parseSize(std::string_view text, CliArgs& a) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return false;
    const auto w = parseWhole(text.substr(0, x), kMinImageSide, kMaxImageSide);
    const auto h = parseWhole(text.substr(x + 1), kMinImageSide, kMaxImageSide);
    if (!w || !h) return false;
    a.width = *w;
    a.height = *h;
    return true;
}

// "H,P": two angles in degrees.
bool parseOrbit(std::string_view text, CliArgs& a) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return false;
    a.orbitHeading = parseWhole(text.substr(0, comma), -kMaxOrbitDegrees, kMaxOrbitDegrees);
    a.orbitPitch = parseWhole(text.substr(comma + 1), -kMaxOrbitDegrees, kMaxOrbitDegrees);
    return a.orbitHeading && a.orbitPitch;
}

// "E,N": an easting and a northing.
std::optional<PlanPoint> parsePlanPoint(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto e = parseWhole(text.substr(0, comma), -kLargestCoordinate, kLargestCoordinate);
    const auto n = parseWhole(text.substr(comma + 1), -kLargestCoordinate, kLargestCoordinate);
    if (!e || !n) return std::nullopt;
    return PlanPoint{*e, *n};
}

// "E,N;E,N;E,N...": at least three corners, each an easting and a northing.
bool parsePlanPolygon(std::string_view text, std::vector<PlanPoint>& polygon) {
    polygon.clear();
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        const std::optional<PlanPoint> corner = parsePlanPoint(text.substr(start, end - start));
        if (!corner || polygon.size() == kMaxLimitPolygonCorners) return false;
        polygon.push_back(*corner);
        start = end + 1;
    }
    return polygon.size() >= 3;
}

bool parseLimitPolygon(std::string_view text, CliArgs& a) { return parsePlanPolygon(text, a.limitPolygon); }

// One more boundary polygon of the kind the option names.
bool parseBoundary(std::string_view text, std::vector<std::vector<PlanPoint>>& into, const CliArgs& a) {
    if (a.boundaries.size() + a.hides.size() == kMaxBoundaries) return false;
    return parsePlanPolygon(text, into.emplace_back());
}

// "C,C,...": point classes, each 0 to 255.
std::optional<std::vector<int>> parseClasses(std::string_view text) {
    std::vector<int> classes;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        const std::optional<int> code = parseWhole(text.substr(start, end - start), 0, kMaxPointClass);
        if (!code || classes.size() > kMaxPointClass) return std::nullopt;
        classes.push_back(*code);
        start = end + 1;
    }
    return classes;
}

std::optional<CliView> parseView(std::string_view text) {
    if (text == "load") return CliView::Load;
    if (text == "plan") return CliView::Plan;
    return std::nullopt;
}

bool isLayerName(std::string_view text) {
    return text == "points" || text == "contours" || text == "breaklines" || text == "tin";
}

// "EPSG:" and a code of one to nine digits, the prefix in any letter case.
// The tags --format may give for a file whose extension does not name its format.
bool isFormatAnswer(std::string_view text) {
    static constexpr std::string_view kTags[] = {"PNEZD", "PENZD", "XYZ", "RAW", "USGS_DEM", "HGT", "EXE", "XML", "RASTER"};
    return std::find(std::begin(kTags), std::end(kTags), text) != std::end(kTags);
}

// Each option's one range, the same in every command that takes it.
bool applyValue(Valued option, const std::string& text, CliArgs& a) {
    switch (option) {
        case Valued::To:
        case Valued::Out: a.out = text; return true;
        case Valued::Format:
            a.format = text;
            return isFormatAnswer(text);
        case Valued::As: return (a.outputFormat = exportFormatNamed(text)).has_value();
        case Valued::Interval: return (a.interval = parseWhole(std::string_view(text), kSmallestTypedInterval, kLargestTypedInterval)).has_value();
        case Valued::Smoothing: return (a.smoothing = parseWhole(std::string_view(text), 0.0, 1.0)).has_value();
        case Valued::Palette: return (a.palette = parseWhole(std::string_view(text), 0, kMaxPalette)).has_value();
        case Valued::SurfaceMode: {
            // The cut/fill mode needs a comparison the render command has no way to give.
            const auto mode = parseWhole(std::string_view(text), 0, static_cast<int>(SurfaceMode::Elevation));
            return mode && (a.surfaceMode = surfaceModeFromInt(*mode)).has_value();
        }
        case Valued::Size: return parseSize(text, a);
        case Valued::View: return (a.view = parseView(text)).has_value();
        case Valued::Orbit: return parseOrbit(text, a);
        case Valued::Zoom: return (a.zoom = parseWhole(std::string_view(text), kMinZoom, kMaxZoom)).has_value();
        case Valued::Light: return (a.lightMode = parseWhole(std::string_view(text), 0, 2)).has_value();
        case Valued::From: return (a.sectionFrom = parsePlanPoint(text)).has_value();
        case Valued::ToPoint: return (a.sectionTo = parsePlanPoint(text)).has_value();
        case Valued::Csv: a.csv = text; return true;
        case Valued::AddBreaklines: a.breaklinePairs = text; return !text.empty();
        case Valued::Texture: a.texture = text; return !text.empty();
        case Valued::LimitPolygon:
        case Valued::Polygon: return parseLimitPolygon(text, a);
        case Valued::Rain: return (a.rainSeconds = parseWhole(std::string_view(text), 0.0, kMaxRainSeconds)).has_value();
        case Valued::Seed: {
            const auto seed = parseWhole<std::uint32_t>(std::string_view(text), 0, std::numeric_limits<std::uint32_t>::max());
            if (seed) a.seed = *seed;
            return seed.has_value();
        }
        case Valued::Overlay: a.overlay = text; return !text.empty();
        case Valued::Frames: return (a.frames = parseWhole(std::string_view(text), 1, kMaxFrames)).has_value();
        case Valued::Isopach: a.isopach = text; return !text.empty();
        case Valued::Classes: return (a.classes = parseClasses(text)).has_value();
        case Valued::Boundary: return parseBoundary(text, a.boundaries, a);
        case Valued::Hide: return parseBoundary(text, a.hides, a);
        case Valued::MaxEdge: return (a.maxEdge = parseWhole(std::string_view(text), 0.0, kLargestCoordinate)).has_value() && *a.maxEdge > 0.0;
        case Valued::Thin: return (a.thinCell = parseWhole(std::string_view(text), 0.0, kLargestCoordinate)).has_value() && *a.thinCell > 0.0;
        case Valued::Datum: return (a.datum = parseWhole(std::string_view(text), -kMaxDatum, kMaxDatum)).has_value();
        case Valued::Layer: a.layer = text; return isLayerName(text);
        case Valued::Cell: {
            a.cellSize = parseWhole(std::string_view(text), 0.0, kMaxCellSize);
            return a.cellSize && *a.cellSize > 0.0;
        }
        case Valued::Crs: a.crs = text; return isEpsgDefinition(text);
    }
    return false;
}

template <typename Name, typename Option>
const Name* findAccepted(const auto& names, const std::string& arg, const std::vector<Option>& accepted) {
    // One name may mean different options in different commands (--to).
    for (const Name& n : names)
        if (n.name == arg && std::find(accepted.begin(), accepted.end(), n.option) != accepted.end()) return &n;
    return nullptr;
}

}  // namespace

std::vector<Vec3> planCornersOf(const std::vector<PlanPoint>& polygon) {
    std::vector<Vec3> corners;
    corners.reserve(polygon.size());
    for (const PlanPoint& p : polygon) corners.push_back({p.easting, p.northing, 0.0});
    return corners;
}

std::vector<Vec3> planCornersOf(const CliArgs& a) { return planCornersOf(a.limitPolygon); }

std::optional<CliArgs> parseCliArgs(const std::vector<std::string>& args) {
    if (args.empty()) return std::nullopt;
    const auto& table = commandTable();
    const auto command = std::find_if(table.begin(), table.end(), [&](const CommandOptions& c) { return c.command == args[0]; });
    if (command == table.end()) return std::nullopt;

    CliArgs a;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--quiet") {  // every command takes it
            a.set(CliSwitch::Quiet);
        } else if (const ValuedName* v = findAccepted<ValuedName>(kValuedNames, arg, command->valued)) {
            if (i + 1 == args.size() || !applyValue(v->option, args[++i], a)) return std::nullopt;
        } else if (const SwitchName* s = findAccepted<SwitchName>(kSwitchNames, arg, command->switches)) {
            a.set(s->option);
        } else if (!arg.empty() && arg[0] == '-') {
            return std::nullopt;  // not an option this command takes
        } else if (a.file.empty()) {
            a.file = arg;
        } else if (command->takesSecondFile && a.secondFile.empty()) {
            a.secondFile = arg;
        } else {
            return std::nullopt;  // one file at a time
        }
    }
    if (a.file.empty() || (command->writesFile && a.out.empty())) return std::nullopt;
    return a;
}

}  // namespace vellacor
