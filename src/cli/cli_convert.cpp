#include "cli/cli_convert.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/document.h"
#include "app/gis_save.h"
#include "app/limit_polygon_edit.h"
#include "app/pipeline.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_breaklines.h"
#include "cli/cli_commands.h"
#include "cli/cli_gis.h"
#include "cli/cli_ui.h"
#include "app/site_model.h"

namespace vellacor {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

OutputKind kindForPath(const std::string& path) {
    const std::string ext = lower(std::filesystem::path(path).extension().string());
    if (ext == ".dxf") return OutputKind::Dxf;
    if (ext == ".xml") return OutputKind::LandXml;
    if (ext == ".gpkg") return OutputKind::GeoPackage;
    if (ext == ".geojson") return OutputKind::GeoJson;
    if (ext == ".shp") return OutputKind::Shapefile;
    if (ext == ".tif" || ext == ".tiff") return OutputKind::GeoTiff;
    return OutputKind::Points;
}

// The parts the switches choose; none chosen is none given.
std::optional<ExportParts> chosenParts(const CliArgs& o) {
    const ExportParts parts{o.has(CliSwitch::Points), o.has(CliSwitch::Contours), o.has(CliSwitch::Breaklines),
                            o.has(CliSwitch::Surface)};
    if (!parts.points && !parts.contours && !parts.breaklines && !parts.surface) return std::nullopt;
    return parts;
}

// Without part options: everything the site can give.
ExportParts partsToWrite(const std::optional<ExportParts>& chosen, const SiteModel& model) {
    if (chosen) return *chosen;
    return ExportParts{model.document.pointCount > 0, true, !model.document.breaklines.empty(), true};
}

bool exportSite(SiteModel& model, CliUi& ui, const CliArgs& o, OutputKind kind, const std::optional<ExportParts>& chosen) {
    const std::string& out = o.out;
    if (kind == OutputKind::Points) return savePointsTo(model, ui, out);
    if (const std::optional<GisFormat> gis = gisFormatOfKind(kind)) return exportGisFile(model, ui, o, *gis, chosen);
    const ExportParts parts = partsToWrite(chosen, model);
    if (parts.contours || parts.surface) {
        buildSurfaceToCompletion(model, ui);
    }
    if (!o.limitPolygon.empty()) limitContoursToPolygon(model, planCornersOf(o));
    return saveAsTo(model, ui, out, kind == OutputKind::Dxf ? ExportFormat::Dxf : ExportFormat::LandXml, parts);
}

}  // namespace

int convertCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o) return usageError();
    const OutputKind kind = o->kind.value_or(kindForPath(o->out));
    const std::optional<ExportParts> chosen = chosenParts(*o);
    if (chosen && kind == OutputKind::Points) return usageError();  // a point file has no parts to choose
    if (!optionsSuitOutput(*o, kind, chosen.has_value())) return usageError();
    SiteModel model;
    CliUi ui(*o);
    if (openSite(model, ui, siteRequestOf(*o, o->file)) != OpenResult::Loaded) return 1;
    // Opening starts every view setting afresh, so the options apply after it.
    if (o->interval) model.document.contours.contourInterval = *o->interval;
    if (o->smoothing) model.document.contours.contourSmoothing = *o->smoothing;
    if (!o->breaklinePairs.empty() && kind != OutputKind::Points && !addBreaklinePairsFile(model, ui, o->breaklinePairs))
        return 1;
    if (!exportSite(model, ui, *o, kind, chosen)) return 1;
    std::printf("Saved File:\n\n%s\n", fullPath(o->out).c_str());
    return 0;
}

}  // namespace vellacor
