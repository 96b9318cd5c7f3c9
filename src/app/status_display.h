#pragma once
#include <optional>
#include <string>
#include <vector>

#include "render/overlay_text.h"

namespace vellacor {

struct SiteModel;

// The one progress message of the background work in hand, if any:
// "Building Surface", "Topology", "Smooth Shading", "CAD Overlay" or
// "Adding Breaklines: N".
std::optional<std::string> progressMessage(const SiteModel& model);

// The count and setting lines of the top-left corner for the site as it is.
std::vector<std::string> statusLines(const SiteModel& model);

// The status overlay of every frame: the frame-rate warning, the progress
// message with its bar (drawn into the picture now), point labels and the
// count lines (added to `text`, drawn over the colour picture later).
void drawStatusOverlay(SiteModel& model, OverlayTextList& text);

}  // namespace vellacor
