#include "cli/cli_render.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/document.h"
#include "app/frame_cycle.h"
#include "app/pipeline.h"
#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "render/png_writer.h"

namespace vellacor {

namespace {

// The grade-break angle the window would ask for when smooth shading starts.
constexpr double kDefaultGradeBreak = 45.0;

}  // namespace

int renderCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o) return usageError();
    SiteModel model;
    CliUi ui(o->format);
    if (openDocument(model, ui, o->file) != OpenResult::Loaded) return 1;

    // The switches as the keys would set them after the load.
    while (model.display.paletteIndex != o->palette.value_or(0)) cyclePalette(model);
    if (o->surfaceMode) model.display.surfaceMode = *o->surfaceMode;
    if (needsVertexNormals(model.display.surfaceMode)) model.display.gradeBreakAngle = kDefaultGradeBreak;
    model.display.showContours = o->has(CliSwitch::Contours);
    model.display.showTriangles = o->has(CliSwitch::Triangles);
    if (o->interval) model.document.contours.contourInterval = *o->interval;
    // Build everything the picture needs, as the window would over its first frames.
    runPipelineToCompletion(model, ui);
    // The point switches go on once the surface is there: taking the finished
    // surface over turns the point marks off, as the window does.
    model.display.showPoints = o->has(CliSwitch::Points) || o->has(CliSwitch::Labels);
    model.display.showPointNumbers = model.display.showPointDescriptions = model.display.showPointElevations = o->has(CliSwitch::Labels);
    // A frame after the surface is finished: nothing left in progress.
    RgbImage picture;
    model.cycle.frameSeconds = 0.0;
    paintFrame(model, ui, o->width, o->height, picture);
    model.cycle.frameSeconds = 0.0;
    model.renderer.redrawNeeded = true;
    paintFrame(model, ui, o->width, o->height, picture);
    // The overlay text was drawn over the frame's palette colours; the file keeps that palette.
    if (!writePng(o->out, picture, model.renderer.frame.bitmapPalette)) {
        std::fprintf(stderr, "Unable to open file for writing!\n\n%s\n", o->out.c_str());
        return 1;
    }
    std::printf("Saved File:\n%s\n", std::filesystem::absolute(o->out).string().c_str());
    return 0;
}

}  // namespace vellacor
