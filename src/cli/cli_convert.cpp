#include "cli/cli_convert.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/document.h"
#include "app/pipeline.h"
#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "app/site_model.h"

namespace vellacor {

namespace {

enum class OutputKind { Dxf, LandXml, Points };

struct ConvertOptions {
    std::string file;
    std::string out;
    std::string format = "PNEZD";
    std::optional<OutputKind> kind;
    ExportParts parts;
    bool anyPart = false;
    std::optional<double> interval;
    std::optional<double> smoothing;
};

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::optional<OutputKind> parseKind(const std::string& text) {
    if (text == "dxf") return OutputKind::Dxf;
    if (text == "landxml") return OutputKind::LandXml;
    if (text == "points") return OutputKind::Points;
    return std::nullopt;
}

OutputKind kindForPath(const std::string& path) {
    const std::string ext = lower(std::filesystem::path(path).extension().string());
    if (ext == ".dxf") return OutputKind::Dxf;
    if (ext == ".xml") return OutputKind::LandXml;
    return OutputKind::Points;
}

bool parseConvert(const std::vector<std::string>& args, ConvertOptions& o) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--to" && hasValue) {
            o.out = args[++i];
        } else if (a == "--format" && hasValue) {
            o.format = args[++i];
            if (!isPointLayoutName(o.format)) return false;
        } else if (a == "--as" && hasValue) {
            if (!(o.kind = parseKind(args[++i]))) return false;
        } else if (a == "--interval" && hasValue) {
            if (!(o.interval = parseNumber(args[++i], 0.01, 999999999.0))) return false;
        } else if (a == "--smoothing" && hasValue) {
            if (!(o.smoothing = parseNumber(args[++i], 0.0, 1.0))) return false;
        } else if (a == "--points" || a == "--contours" || a == "--breaklines" || a == "--surface") {
            bool& part = a == "--points"     ? o.parts.points
                         : a == "--contours" ? o.parts.contours
                         : a == "--breaklines" ? o.parts.breaklines
                                               : o.parts.surface;
            part = true;
            o.anyPart = true;
        } else if (!a.empty() && a[0] == '-') {
            return false;
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            return false;
        }
    }
    if (o.file.empty() || o.out.empty()) return false;
    if (!o.kind) o.kind = kindForPath(o.out);
    return !(o.anyPart && *o.kind == OutputKind::Points);  // a point file has no parts to choose
}

// Without part options: everything the site can give.
ExportParts partsToWrite(const ConvertOptions& o, const SiteModel& model) {
    if (o.anyPart) return o.parts;
    return ExportParts{model.document.pointCount > 0, true, !model.document.breaklines.empty(), true};
}

bool exportSite(SiteModel& model, CliUi& ui, const ConvertOptions& o) {
    if (*o.kind == OutputKind::Points) return savePointsTo(model, ui, o.out);
    const ExportParts parts = partsToWrite(o, model);
    if (parts.contours || parts.surface) {
        if (!surfaceNeeded(model)) model.display.surfaceMode = SurfaceMode::Flat;  // the shaded surface asks for the triangles
        runPipelineToCompletion(model, ui);
    }
    return saveAsTo(model, ui, o.out, *o.kind == OutputKind::Dxf ? ExportFormat::Dxf : ExportFormat::LandXml, parts);
}

}  // namespace

int convertCommand(const std::vector<std::string>& args) {
    ConvertOptions o;
    if (!parseConvert(args, o)) return usageError();
    SiteModel model;
    CliUi ui(o.format);
    if (openDocument(model, ui, o.file) != OpenResult::Loaded) return 1;
    // Opening starts every view setting afresh, so the options apply after it.
    if (o.interval) model.document.contours.contourInterval = *o.interval;
    if (o.smoothing) model.document.contours.contourSmoothing = *o.smoothing;
    if (!exportSite(model, ui, o)) return 1;
    std::printf("Saved File:\n\n%s\n", fullPath(o.out).c_str());
    return 0;
}

}  // namespace vellacor
