#include "cli/cli_convert.h"

#include <cstdio>
#include <optional>

#include "app/document.h"
#include "app/limit_polygon_edit.h"
#include "app/output_format.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/site_save.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_breaklines.h"
#include "cli/cli_commands.h"
#include "cli/cli_gis.h"
#include "cli/cli_ui.h"

namespace vellacor {

namespace {

// The parts the switches choose; none chosen is none given.
std::optional<ExportParts> chosenParts(const CliArgs& o) {
    const ExportParts parts{o.has(CliSwitch::Points), o.has(CliSwitch::Contours), o.has(CliSwitch::Breaklines),
                            o.has(CliSwitch::Surface)};
    if (!anyPartChosen(parts)) return std::nullopt;
    return parts;
}

// The files whose content is the parts chosen; the others hold one layer, a DEM or the points.
bool holdsChosenParts(ExportFormat format) {
    return format == ExportFormat::Dxf || format == ExportFormat::LandXml || format == ExportFormat::GeoPackage;
}

}  // namespace

int convertCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o) return usageError();
    const ExportFormat format = o->outputFormat.value_or(exportFormatForPath(o->out));
    const std::optional<ExportParts> chosen = chosenParts(*o);
    if (chosen && format == ExportFormat::Points) return usageError();  // a point file has no parts to choose
    if (!optionsSuitOutput(*o, format, chosen.has_value())) return usageError();
    SiteModel model;
    CliUi ui(*o);
    if (openSite(model, ui, siteRequestOf(*o, o->file)) != OpenResult::Loaded) return 1;
    // Opening starts every view setting afresh, so the options apply after it.
    if (o->interval) model.document.contours.contourInterval = *o->interval;
    if (o->smoothing) model.document.contours.contourSmoothing = *o->smoothing;
    if (!o->breaklinePairs.empty() && format != ExportFormat::Points &&
        !addBreaklinePairsFile(model, ui, o->breaklinePairs))
        return 1;
    SaveRequest request;
    request.format = format;
    request.layer = layerOf(*o);
    request.cellSize = o->cellSize.value_or(0.0);
    if (chosen) {
        request.parts = *chosen;
    } else {
        // What Save As first ticks for the site once the window has built its surface.
        if (holdsChosenParts(format)) buildSurfaceToCompletion(model, ui);
        request.parts = defaultSaveParts(model.document);
    }
    // The contour limit is laid on the finished surface; a surface that cannot
    // be made is refused by the save.
    if (saveNeedsSurface(request)) buildSurfaceToCompletion(model, ui);
    if (!o->limitPolygon.empty()) limitContoursToPolygon(model, planCornersOf(*o));
    const std::optional<std::string> saved = saveSite(model, ui, o->out, request);
    if (!saved) return 1;
    std::printf("%s\n", saved->c_str());
    return 0;
}

}  // namespace vellacor
