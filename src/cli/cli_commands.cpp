#include "cli/cli_commands.h"

#include <cstdio>
#include <optional>

#include "app/document.h"
#include "app/pipeline.h"
#include "cli/cli_convert.h"
#include "cli/cli_render.h"
#include "cli/cli_section.h"
#include "cli/cli_args.h"
#include "cli/cli_ui.h"
#include "app/site_model.h"
#include "surface/contour_export.h"

namespace vellacor {

namespace {

int info(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o) return usageError();
    const bool surface = o->has(CliSwitch::Surface);
    SiteModel model;
    CliUi ui(o->format);
    if (openDocument(model, ui, o->file) != OpenResult::Loaded) return 1;
    if (surface) runPipelineToCompletion(model, ui);
    double minE = model.document.points[0].easting, maxE = minE, minN = model.document.points[0].northing, maxN = minN;
    for (int i = 0; i < model.document.pointCount; ++i) {
        const SurveyPoint& p = model.document.points[static_cast<std::size_t>(i)];
        minE = std::min(minE, p.easting), maxE = std::max(maxE, p.easting);
        minN = std::min(minN, p.northing), maxN = std::max(maxN, p.northing);
    }
    std::printf("format: %s\n", std::string(formatTag(model.document.pointFileFormat)).c_str());
    std::printf("points: %d\n", model.document.pointCount);
    std::printf("skipped: %d\n", model.document.skippedLines.count);
    std::printf("easting: %.6f %.6f\n", minE, maxE);
    std::printf("northing: %.6f %.6f\n", minN, maxN);
    std::printf("elevation: %.6f %.6f\n", model.document.minElevation, model.document.maxElevation);
    std::printf("siteCentre: %.6f %.6f %.6f\n", model.document.siteCentre.x, model.document.siteCentre.y, model.document.siteCentre.z);
    std::printf("siteSize: %.6f\n", model.document.siteSize);
    std::printf("nextPointNumber: %d\n", model.document.nextPointNumber);
    if (surface) {
        // The contours as a save would write them: levels that have a contour,
        // polylines, and their vertices.
        model.document.contours.contourInterval = o->interval.value_or(1.0);
        model.document.contours.contourSmoothing = o->smoothing.value_or(1.0);
        const std::vector<ExportPolyline> contours = traceContoursForExport(model.document);
        std::size_t levels = 0, vertices = 0;
        for (std::size_t i = 0; i < contours.size(); ++i) {
            if (i == 0 || contours[i].level != contours[i - 1].level) ++levels;
            vertices += contours[i].points.size();
        }
        std::printf("triangles: %d\n", model.document.triangleCount);
        std::printf("contours: %zu %zu %zu\n", levels, contours.size(), vertices);
    }
    return 0;
}

}  // namespace

const char* cliUsage() {
    return "usage: vellacor-cli info FILE [--format PNEZD|PENZD|XYZ] [--surface [--interval X] [--smoothing S]]\n"
           "       vellacor-cli convert FILE --to OUT [--format PNEZD|PENZD|XYZ] [--as dxf|landxml|points]\n"
           "                    [--points] [--contours] [--breaklines] [--surface] [--interval X] [--smoothing S]\n"
           "       vellacor-cli render FILE --out IMAGE.png [--format F] [--size WxH] [--palette 0..4]\n"
           "                    [--surface-mode 0..7] [--contours] [--triangles] [--points] [--labels] [--interval X]\n"
           "                    [--view load|plan] [--orbit H,P] [--zoom F] [--light 0|1|2] [--frames N]\n"
           "       vellacor-cli section FILE --from E,N --to E,N [--out OUT.dxf] [--csv OUT.csv] [--format F]\n"
           "  info --surface adds 'triangles: N' and 'contours: LEVELS POLYLINES VERTICES' (levels that have a\n"
           "  contour, joined polylines, their vertices) for the contour interval X (1.0) and smoothing S (1.0)\n"
           "  --interval X is 0.01..999999999 and --smoothing S 0..1 in every command; --size 16..8192 each way\n"
           "  render --frames N (1..100000) draws N more frames, the camera turning 1 degree about the target\n"
           "  each, a whole rebuild every frame, and writes the last\n";
}

int usageError() {
    std::fputs(cliUsage(), stderr);
    return 2;
}

int runCli(const std::vector<std::string>& args) {
    if (args[0] == "info") return info(args);
    if (args[0] == "convert") return convertCommand(args);
    if (args[0] == "render") return renderCommand(args);
    if (args[0] == "section") return sectionCommand(args);
    return usageError();
}

}  // namespace vellacor
