#include "cli/cli_render.h"

#include <cstdio>
#include <optional>

#include "app/cad_overlays.h"
#include "app/limit_polygon_edit.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/site_open.h"
#include "app/site_picture.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_breaklines.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"

namespace vellacor {

namespace {

PictureRequest pictureRequestOf(const CliArgs& o) {
    PictureRequest r;
    r.width = o.width;
    r.height = o.height;
    r.palette = static_cast<PaletteChoice>(o.palette.value_or(0));  // 0..kMaxPalette
    r.surfaceMode = o.surfaceMode;
    r.texture = o.texture;
    r.contourInterval = o.interval;
    r.contours = o.has(CliSwitch::Contours);
    r.triangles = o.has(CliSwitch::Triangles);
    r.points = o.has(CliSwitch::Points);
    r.labels = o.has(CliSwitch::Labels);
    if (o.lightMode) r.light = static_cast<LightMode>(*o.lightMode);
    r.planView = o.view == CliView::Plan;
    r.orbitHeading = o.orbitHeading;
    r.orbitPitch = o.orbitPitch;
    r.zoom = o.zoom;
    r.rainSeconds = o.rainSeconds;
    r.rainSeed = o.seed;
    r.orbitFrames = o.frames;
    return r;
}

}  // namespace

int renderCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o) return usageError();
    const PictureRequest request = pictureRequestOf(*o);
    SiteModel model;
    CliUi ui(*o);
    if (openSite(model, ui, siteRequestOf(*o, o->file)) != OpenResult::Loaded) return 1;
    if (!o->overlay.empty()) importCadOverlay(model, ui, o->overlay);
    if (!setPictureSwitches(model, ui, request)) return 1;
    // Build everything the picture needs, as the window would over its first frames.
    runPipelineToCompletion(model, ui);
    if (!o->breaklinePairs.empty() && !addBreaklinePairsFile(model, ui, o->breaklinePairs)) return 1;
    if (!o->limitPolygon.empty()) limitContoursToPolygon(model, planCornersOf(*o));
    RgbImage picture;
    paintRequestedPicture(model, ui, request, picture);
    const std::optional<std::string> saved = savePicture(model, ui, picture, o->out);
    if (!saved) return 1;
    std::printf("%s\n", saved->c_str());
    return 0;
}

}  // namespace vellacor
