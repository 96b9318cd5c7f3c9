#pragma once
#include <string>

#include "render/frame_buffer.h"
#include "render/overlay_text.h"

namespace vellacor {

// The progress message, "(Esc to Cancel)" and a bar filled to `fraction`:
// the bar drawn into the displayed picture, the text added to `text`.
void drawProgress(FrameBuffer& frame, const std::string& message, double fraction, OverlayTextList& text);

}  // namespace vellacor
