#pragma once
#include <vector>

#include "model/survey_point.h"
#include "render/overlay_text.h"

namespace vellacor {

struct SiteModel;

// Composes one frame in model.renderer.frame.displayBits: the static scene (surface,
// contours, overlays, points, north arrow) is rebuilt into the scene buffer
// only when redrawNeeded is set; every frame copies it and draws the live
// marks on top. Text the frame wants (the hover label) is added to `text`.
void renderFrame(SiteModel& model, bool viewMoving, OverlayTextList& text);

// The marks drawn into the displayed picture every frame: the selected
// point's cross with the band towards the cursor, and the label of the point
// the cursor has rested on.
void drawSelectionMark(SiteModel& model);
void updateHoverLabel(SiteModel& model, OverlayTextList& text);

// The plan line a -> b laid on the surface and drawn into the displayed
// picture; stretches off the surface are left out.
void drawDrapedLine(SiteModel& model, const Vec3& a, const Vec3& b, std::uint8_t colour);

}  // namespace vellacor
