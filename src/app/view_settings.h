#pragma once
#include "render/light.h"
#include "render/surface_mode.h"

namespace vellacor {

struct SiteModel;

// Key P: the next of the five palettes. Entering the rainbow palette switches
// the surface to elevation colouring and remembers the mode it had; leaving
// it (back to palette 0) restores that mode.
void cyclePalette(SiteModel& model);

// Any surface mode, with the bitmap in the colours that mode shows.
void setSurfaceMode(SiteModel& model, SurfaceMode mode);
// Key F: flat shading.
void setFlatShading(SiteModel& model);
// Key G: smooth shading (the pipeline asks for the grade-break angle when needed).
void setSmoothShading(SiteModel& model);
// Menu "Smooth Shading": flat becomes smooth, anything else flat.
void toggleSmoothShading(SiteModel& model);

// Menu Light: "Headlamp", "Circling", "Stationary".
void setLightMode(SiteModel& model, LightMode mode);
// Key L: headlamp -> circling -> stationary -> headlamp.
void cycleLightMode(SiteModel& model);
// Once per paint before the frame is drawn: the light follows its mode.
void updateLight(SiteModel& model);

// The view's size changed: new buffers, a new bitmap when one existed (in the
// texture's colours while the texture is what the view shows), and a full
// redraw. An empty client area keeps the old buffers.
void resizeFrameBuffer(SiteModel& model, int clientWidth, int clientHeight);

// The bitmap again with the active palette (after the palette changed).
void recreateFrameBitmap(SiteModel& model);

}  // namespace vellacor
