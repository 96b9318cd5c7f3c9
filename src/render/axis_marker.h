#pragma once
#include "camera/matrix.h"
#include "render/frame_buffer.h"

namespace vellacor {

// Palette colours of the axis marker's arrows; all three take kAxisHighlight
// while the axis is being dragged or could be grabbed.
inline constexpr std::uint8_t kAxisXColour = 1;
inline constexpr std::uint8_t kAxisYColour = 3;
inline constexpr std::uint8_t kAxisZColour = 4;
inline constexpr std::uint8_t kAxisHighlight = 2;

// The camera target as three arrows along +x, +y and +z, `radius` long units
// each (a shaft to 1.2, a cone from 0.9 to its tip at 1.4), drawn over the
// displayed picture. They hide only each other: the marker has its own depth
// buffer, cleared here.
void drawAxisMarker(FrameBuffer& frame, const Matrix& view, const Vec3& target, double radius, bool highlighted);

}  // namespace vellacor
