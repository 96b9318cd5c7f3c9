#pragma once
#include "render/overlay_text.h"

namespace vellacor {

struct SiteModel;

// The status overlay of every frame: the frame-rate warning, the progress
// message with its bar (drawn into the picture now), point labels and the
// count lines (added to `text`, drawn over the colour picture later).
void drawStatusOverlay(SiteModel& model, OverlayTextList& text);

// The progress message, "(Esc to Cancel)" and a bar filled to `fraction`.
void drawProgress(SiteModel& model, const std::string& message, double fraction, OverlayTextList& text);

}  // namespace vellacor
