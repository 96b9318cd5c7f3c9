#include "render/surface_modes.h"

#include "model/site_model.h"
#include "render/frame_buffer.h"
#include "render/palette.h"

namespace vellacor {

namespace {

constexpr int kElevationMode = 7;
constexpr int kRainbowPalette = 4;

void setSurfaceMode(SiteModel& model, int mode) {
    model.surfaceMode = mode;
    recreateFrameBitmap(model);
    model.redrawNeeded = true;
}

}  // namespace

void cyclePalette(SiteModel& model) {
    model.paletteIndex += 1;
    if (model.paletteIndex >= kPaletteCount) {
        model.paletteIndex = 0;
        model.surfaceMode = model.savedSurfaceMode;
    }
    buildPalette(model.paletteIndex, model.palette[0]);
    recreateFrameBitmap(model);
    if (model.surfaceMode == 0) model.surfaceMode = 1;
    if (model.paletteIndex == kRainbowPalette) {
        model.savedSurfaceMode = model.surfaceMode;
        model.surfaceMode = kElevationMode;
    }
    model.redrawNeeded = true;
}

void setFlatShading(SiteModel& model) { setSurfaceMode(model, 1); }

void setSmoothShading(SiteModel& model) { setSurfaceMode(model, 2); }

void toggleSmoothShading(SiteModel& model) { setSurfaceMode(model, model.surfaceMode == 1 ? 2 : 1); }

}  // namespace vellacor
