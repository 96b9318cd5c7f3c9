#include "app/view_settings.h"

#include "app/site_model.h"
#include "render/frame_buffer.h"
#include "render/palette.h"

namespace vellacor {

namespace {

// The texture's colours while the view shows the texture (or the start
// picture over a loaded texture), the active palette otherwise.
const Palette& bitmapPaletteOf(const SiteModel& model) {
    const RendererState& r = model.renderer;
    const bool texturePicture =
        r.textureLoaded && (showsTexturePicture(model.display.surfaceMode) || !model.document.documentLoaded);
    if (texturePicture) return r.palette[1];
    return model.display.surfaceMode == SurfaceMode::CutFill ? cutFillPalette() : r.palette[0];
}

}  // namespace

void setSurfaceMode(SiteModel& model, SurfaceMode mode) {
    model.display.surfaceMode = mode;
    recreateFrameBitmap(model);
    model.renderer.redrawNeeded = true;
}

void cyclePalette(SiteModel& model) {
    DisplaySwitches& d = model.display;
    d.paletteIndex = nextPalette(d.paletteIndex);
    if (d.paletteIndex == PaletteChoice::Grey) d.surfaceMode = d.savedSurfaceMode;
    buildPalette(d.paletteIndex, model.renderer.palette[0]);
    recreateFrameBitmap(model);
    if (d.surfaceMode == SurfaceMode::Off) d.surfaceMode = SurfaceMode::Flat;
    if (d.paletteIndex == PaletteChoice::Rainbow) {
        d.savedSurfaceMode = d.surfaceMode;
        d.surfaceMode = SurfaceMode::Elevation;
    }
    model.renderer.redrawNeeded = true;
}

void setFlatShading(SiteModel& model) { setSurfaceMode(model, SurfaceMode::Flat); }

void setSmoothShading(SiteModel& model) { setSurfaceMode(model, SurfaceMode::Smooth); }

void toggleSmoothShading(SiteModel& model) {
    setSurfaceMode(model, model.display.surfaceMode == SurfaceMode::Flat ? SurfaceMode::Smooth : SurfaceMode::Flat);
}

void setLightMode(SiteModel& model, LightMode mode) {
    if (model.renderer.light) model.renderer.light->lightMode = mode;
    model.renderer.redrawNeeded = true;
}

void cycleLightMode(SiteModel& model) {
    if (model.renderer.light) model.renderer.light->lightMode = nextLightMode(model.renderer.light->lightMode);
    model.renderer.redrawNeeded = true;
}

void updateLight(SiteModel& model) {
    if (!model.renderer.light) return;
    const LightSurroundings around{model.camera.eye, model.document.siteCentre, model.document.siteSize,
                                   model.display.verticalScale, model.cycle.frameSeconds};
    if (moveLight(*model.renderer.light, around)) model.renderer.redrawNeeded = true;
}

void resizeFrameBuffer(SiteModel& model, int clientWidth, int clientHeight) {
    resizeFrameBuffer(model.renderer.frame, clientWidth, clientHeight, bitmapPaletteOf(model));
    model.renderer.redrawNeeded = true;
}

void recreateFrameBitmap(SiteModel& model) { createFrameBitmap(model.renderer.frame, bitmapPaletteOf(model)); }

}  // namespace vellacor
