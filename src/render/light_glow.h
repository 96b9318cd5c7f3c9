#pragma once
#include "render/frame_buffer.h"

namespace vellacor {

struct Camera;
struct Light;

// A bright disc where the light is, brighter towards its middle, smaller the
// farther the light is from the eye. Drawn into the cached scene, behind
// whatever is nearer than the light.
void drawLightGlow(FrameBuffer& frame, const Light& light, const Camera& camera);

}  // namespace vellacor
