#include "render/surface_modes.h"

#include "app/site_model.h"
#include "render/frame_buffer.h"
#include "render/palette.h"

namespace vellacor {

namespace {

constexpr int kElevationMode = 7;
constexpr int kRainbowPalette = 4;

void setSurfaceMode(SiteModel& model, int mode) {
    model.display.surfaceMode = mode;
    recreateFrameBitmap(model);
    model.renderer.redrawNeeded = true;
}

}  // namespace

void cyclePalette(SiteModel& model) {
    model.display.paletteIndex += 1;
    if (model.display.paletteIndex >= kPaletteCount) {
        model.display.paletteIndex = 0;
        model.display.surfaceMode = model.display.savedSurfaceMode;
    }
    buildPalette(model.display.paletteIndex, model.renderer.palette[0]);
    recreateFrameBitmap(model);
    if (model.display.surfaceMode == 0) model.display.surfaceMode = 1;
    if (model.display.paletteIndex == kRainbowPalette) {
        model.display.savedSurfaceMode = model.display.surfaceMode;
        model.display.surfaceMode = kElevationMode;
    }
    model.renderer.redrawNeeded = true;
}

void setFlatShading(SiteModel& model) { setSurfaceMode(model, 1); }

void setSmoothShading(SiteModel& model) { setSurfaceMode(model, 2); }

void toggleSmoothShading(SiteModel& model) { setSurfaceMode(model, model.display.surfaceMode == 1 ? 2 : 1); }

}  // namespace vellacor
