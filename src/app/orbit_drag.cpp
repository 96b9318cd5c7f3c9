#include "app/orbit_drag.h"

#include <algorithm>
#include <cmath>

#include "app/site_model.h"
#include "app/surface_stages.h"
#include "camera/camera.h"

namespace vellacor {

namespace {
constexpr double kRadiansPerDegree = 0.017453292519943295;
}  // namespace

void orbitAsDragged(SiteModel& model, double headingDegrees, double pitchDegrees) {
    const double steps = std::max(1.0, std::ceil(std::max(std::fabs(headingDegrees), std::fabs(pitchDegrees))));
    const double dx = -headingDegrees * kRadiansPerDegree / steps / kOrbitRadiansPerPixel;
    const double dy = pitchDegrees * kRadiansPerDegree / steps / kOrbitRadiansPerPixel;
    const SurfaceView surface = linkedSurfaceOf(model);
    const SiteFrame site = siteFrameOf(model.document);
    for (int i = 0; i < static_cast<int>(steps); ++i) model.camera.OrbitBy(surface, site, dx, dy);
}

// The button is held: the frame cycle draws the moving view as it does under
// a drag in the window.
void beginOrbitDrag(SiteModel& model) { model.input.leftButtonDown = true; }

void paintOrbitFrame(SiteModel& model, Ui& ui, int width, int height, RgbImage& picture) {
    orbitAsDragged(model, 1.0, 0.0);
    model.renderer.redrawNeeded = true;
    paintFrame(model, ui, width, height, picture);
}

// Let go after a hold: the picture comes back in full quality.
void endOrbitDrag(SiteModel& model) {
    model.input.leftButtonDown = false;
    model.input.longPressEnded = true;
}

void paintOrbitDrag(SiteModel& model, Ui& ui, int width, int height, int frames, RgbImage& picture) {
    beginOrbitDrag(model);
    for (int frame = 0; frame < frames; ++frame) paintOrbitFrame(model, ui, width, height, picture);
    endOrbitDrag(model);
    model.cycle.frameSeconds = 0.0;
    paintFrame(model, ui, width, height, picture);
}

}  // namespace vellacor
