#pragma once
#include <cstdint>

#include "model/survey_point.h"
#include "render/frame_buffer.h"
#include "render/projection.h"

namespace vellacor {

// Lines and point marks are drawn this much nearer than their true depth, so
// that they show on the surface they lie on.
inline constexpr double kLineDepthBias = 0.0003;

// Above this many points a point mark is a single pixel instead of a plus.
inline constexpr int kSmallPointMarkLimit = 50000;

// A camera-space segment: clipped to the view pyramid, projected and drawn
// depth-tested. Never writes depth.
void drawLine3D(FrameBuffer& frame, RasterTarget target, const Vec3& p1, const Vec3& p2, std::uint8_t colour);

// A screen-space segment between two projected points, depth-tested with the
// depth interpolated along it. Never writes depth. Pixels outside the buffer
// are skipped.
void drawLine2D(FrameBuffer& frame, RasterTarget target, const ProjectedPoint& a, const ProjectedPoint& b,
                std::uint8_t colour);

// The mark of one survey point at projected position p: a plus of five pixels,
// or one pixel when the site has more than 50,000 points. Tested once, at the
// point's own pixel.
void drawPointMark(FrameBuffer& frame, RasterTarget target, const ProjectedPoint& p, std::uint8_t colour,
                   int pointCount);

}  // namespace vellacor
