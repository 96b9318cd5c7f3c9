#include "cli/cli_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "app/cad_overlays.h"
#include "app/document.h"
#include "app/limit_polygon_edit.h"
#include "app/frame_cycle.h"
#include "app/orbit_drag.h"
#include "app/pipeline.h"
#include "app/shading_stage.h"
#include "app/site_save.h"
#include "cli/cli_args.h"
#include "cli/cli_boundaries.h"
#include "cli/cli_breaklines.h"
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "app/site_model.h"
#include "app/commands.h"
#include "app/surface_stages.h"
#include "app/view_settings.h"
#include "render/png_writer.h"

namespace vellacor {

namespace {

// The plan view glides there in 20 frames; more than this and something is wrong.
constexpr int kMostPlanViewFrames = 100;

void paintStill(SiteModel& model, Ui& ui, const CliArgs& o, RgbImage& picture) {
    model.cycle.frameSeconds = 0.0;
    paintFrame(model, ui, o.width, o.height, picture);
}

// Rain for `seconds` at 30 frames a second with the ponds filling, from
// random numbers seeded with `seed`: the same command, the same picture.
// The last frame is the picture.
void paintRain(SiteModel& model, Ui& ui, const CliArgs& o, RgbImage& picture) {
    constexpr double kFrameSeconds = 1.0 / 30.0;
    if (model.document.pointFileFormat != PointFileFormat::Raw) model.display.showRain = true;
    model.display.showPonds = true;
    model.random.seed(o.seed);
    const long frames = std::max(1L, std::lround(*o.rainSeconds * 30.0));
    for (long frame = 0; frame < frames; ++frame) {
        model.cycle.frameSeconds = kFrameSeconds;
        paintFrame(model, ui, o.width, o.height, picture);
    }
}

// --texture loads the picture as key I would and, without --surface-mode,
// shows it swirled as key T does; --surface-mode 3 without a picture takes the
// radial pattern as key R does. False when the picture cannot be used.
bool applyTexture(SiteModel& model, Ui& ui, const CliArgs& o) {
    if (!o.texture.empty()) {
        if (!useTexturePicture(model, ui, o.texture)) {
            std::fprintf(stderr, "Unable to use the texture:\n%s\n", o.texture.c_str());
            return false;
        }
        if (!o.surfaceMode) setSurfaceMode(model, SurfaceMode::SwirlTexture);
    }
    if (o.surfaceMode == SurfaceMode::NormalTexture) setNormalTextureMode(model);
    return true;
}

}  // namespace

int renderCommand(const std::vector<std::string>& args) {
    const std::optional<CliArgs> o = parseCliArgs(args);
    if (!o) return usageError();
    SiteModel model;
    CliUi ui(*o);
    if (openSite(model, ui, siteRequestOf(*o, o->file)) != OpenResult::Loaded) return 1;
    if (!o->overlay.empty()) importCadOverlay(model, ui, o->overlay);

    // The switches as the keys would set them after the load.
    const PaletteChoice palette = static_cast<PaletteChoice>(o->palette.value_or(0));  // 0..kMaxPalette
    while (model.display.paletteIndex != palette) cyclePalette(model);
    if (!applyTexture(model, ui, *o)) return 1;
    if (o->surfaceMode) model.display.surfaceMode = *o->surfaceMode;
    if (needsVertexNormals(model.display.surfaceMode)) model.display.gradeBreakAngle = kDefaultGradeBreakAngle;
    model.display.showContours = o->has(CliSwitch::Contours);
    model.display.showTriangles = o->has(CliSwitch::Triangles);
    if (o->interval) model.document.contours.contourInterval = *o->interval;
    // Build everything the picture needs, as the window would over its first frames.
    runPipelineToCompletion(model, ui);
    if (!o->breaklinePairs.empty() && !addBreaklinePairsFile(model, ui, o->breaklinePairs)) return 1;
    if (!o->limitPolygon.empty()) limitContoursToPolygon(model, planCornersOf(*o));
    // The point switches go on once the surface is there: taking the finished
    // surface over turns the point marks off, as the window does.
    model.display.showPoints = o->has(CliSwitch::Points) || o->has(CliSwitch::Labels);
    model.display.showPointNumbers = model.display.showPointDescriptions = model.display.showPointElevations = o->has(CliSwitch::Labels);
    if (o->lightMode) setLightMode(model, static_cast<LightMode>(*o->lightMode));
    // A frame after the surface is finished: nothing left in progress.
    RgbImage picture;
    paintStill(model, ui, *o, picture);
    // The camera as a user would move it once the site is shown.
    if (o->view == CliView::Plan) {
        setCameraMode(model, CameraMode::PlanViewStart);
        for (int frame = 0; frame < kMostPlanViewFrames && model.camera.mode != CameraMode::Stationary; ++frame)
            paintStill(model, ui, *o, picture);
    }
    if (o->orbitHeading && o->orbitPitch) orbitAsDragged(model, *o->orbitHeading, *o->orbitPitch);
    if (o->zoom) model.camera.Zoom(*o->zoom);
    model.renderer.redrawNeeded = true;
    if (o->rainSeconds)
        paintRain(model, ui, *o, picture);
    else
        paintStill(model, ui, *o, picture);
    // An orbit as a user drags it, a degree a frame, so that the frame rate
    // can be timed from outside; the picture is the one after the button is let go.
    if (o->frames) paintOrbitDrag(model, ui, o->width, o->height, *o->frames, picture);
    // The overlay text was drawn over the frame's palette colours; the file keeps that palette.
    if (!writePng(o->out, picture, model.renderer.frame.bitmapPalette)) {
        std::fprintf(stderr, "Unable to open file for writing!\n\n%s\n", o->out.c_str());
        return 1;
    }
    std::printf("%s\n", savedFileMessage(o->out).c_str());
    return 0;
}

}  // namespace vellacor
