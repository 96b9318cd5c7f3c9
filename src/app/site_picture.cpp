#include "app/site_picture.h"

#include "app/detail_stage.h"

#include <algorithm>
#include <cmath>

#include "app/commands.h"
#include "app/frame_cycle.h"
#include "app/orbit_drag.h"
#include "app/shading_stage.h"
#include "app/site_model.h"
#include "app/site_save.h"
#include "app/view_settings.h"
#include "platform/ui.h"
#include "render/png_writer.h"

namespace vellacor {

namespace {

// The plan view glides there in 20 frames; more than this and something is wrong.
constexpr int kMostPlanViewFrames = 100;
constexpr double kRainFrameSeconds = 1.0 / 30.0;

void paintStill(SiteModel& model, Ui& ui, const PictureRequest& r, RgbImage& picture) {
    model.cycle.frameSeconds = 0.0;
    paintFrame(model, ui, r.width, r.height, picture);
}

// Rain at 30 frames a second with the ponds filling, from random numbers
// seeded with the request's seed: the same request, the same picture. The
// last frame is the picture.
void paintRain(SiteModel& model, Ui& ui, const PictureRequest& r, RgbImage& picture) {
    if (!model.display.showRain) toggleRain(model);
    if (!model.display.showPonds) togglePonds(model);
    model.random.seed(r.rainSeed);
    const long frames = std::max(1L, std::lround(*r.rainSeconds * 30.0));
    for (long frame = 0; frame < frames; ++frame) {
        model.cycle.frameSeconds = kRainFrameSeconds;
        paintFrame(model, ui, r.width, r.height, picture);
    }
}

// A texture is loaded as key I would and, without a surface mode, shown
// swirled as key T does; the normal texture mode without a picture takes the
// radial pattern as key R does. False when the picture cannot be used.
bool applyTexture(SiteModel& model, Ui& ui, const PictureRequest& r) {
    if (!r.texture.empty()) {
        if (!useTexturePicture(model, ui, r.texture)) {
            ui.message("Unable to use the texture:\n" + r.texture);
            return false;
        }
        if (!r.surfaceMode) setSurfaceMode(model, SurfaceMode::SwirlTexture);
    }
    if (r.surfaceMode == SurfaceMode::NormalTexture) setNormalTextureMode(model);
    return true;
}

}  // namespace

bool setPictureSwitches(SiteModel& model, Ui& ui, const PictureRequest& r) {
    while (model.display.paletteIndex != r.palette) cyclePalette(model);
    if (!applyTexture(model, ui, r)) return false;
    if (r.surfaceMode) model.display.surfaceMode = *r.surfaceMode;
    if (needsVertexNormals(model.display.surfaceMode)) model.display.gradeBreakAngle = kDefaultGradeBreakAngle;
    model.display.showContours = r.contours;
    model.display.showTriangles = r.triangles;
    if (r.contourInterval) model.document.contours.contourInterval = *r.contourInterval;
    return true;
}

void paintRequestedPicture(SiteModel& model, Ui& ui, const PictureRequest& r, RgbImage& picture) {
    // The point switches go on once the surface is there: taking the finished
    // surface over turns the point marks off, as the window does.
    model.display.showPoints = r.points || r.labels;
    model.display.showPointNumbers = model.display.showPointDescriptions = model.display.showPointElevations =
        r.labels;
    if (r.light) setLightMode(model, *r.light);
    // A frame after the surface is finished: nothing left in progress.
    paintStill(model, ui, r, picture);
    // The camera as a user would move it once the site is shown.
    if (r.planView) {
        setCameraMode(model, CameraMode::PlanViewStart);
        for (int frame = 0; frame < kMostPlanViewFrames && model.camera.mode != CameraMode::Stationary; ++frame)
            paintStill(model, ui, r, picture);
    }
    if (r.orbitHeading && r.orbitPitch) orbitAsDragged(model, *r.orbitHeading, *r.orbitPitch);
    if (r.zoom) model.camera.Zoom(*r.zoom);
    model.renderer.redrawNeeded = true;
    if (r.rainSeconds)
        paintRain(model, ui, r, picture);
    else
        paintStill(model, ui, r, picture);
    // An orbit as a user drags it, a degree a frame, so that the frame rate
    // can be timed from outside; the picture is the one after the button is let go.
    if (r.orbitFrames) {
        // The window has a large surface's coarser versions a moment after showing it.
        finishDetailLevels(model);
        paintOrbitDrag(model, ui, r.width, r.height, *r.orbitFrames, picture);
    }
}

std::optional<std::string> savePicture(const SiteModel& model, Ui& ui, const RgbImage& picture,
                                       const std::string& path) {
    // The overlay text was drawn over the frame's palette colours; the file keeps that palette.
    if (!writePng(path, picture, model.renderer.frame.bitmapPalette)) {
        ui.message("Unable to open file for writing!\n\n" + path);
        return std::nullopt;
    }
    return savedFileMessage(path);
}

}  // namespace vellacor
