#pragma once
#include "camera/projection.h"
#include "model/survey_point.h"
#include "render/frame_buffer.h"

namespace vellacor {

inline Viewport viewportOf(const FrameBuffer& frame) {
    return {frame.viewWidth, frame.viewHeight, static_cast<double>(frame.halfWidth),
            static_cast<double>(frame.halfHeight)};
}

// The frame's depth for picking; empty until the buffers exist.
inline ScreenDepth screenDepthOf(const FrameBuffer& frame) {
    if (!frame.hasBuffers()) return {viewportOf(frame), {}};
    return {viewportOf(frame), frame.depthBuffer};
}

inline ProjectedPoint project(const FrameBuffer& frame, const Vec3& p) { return project(viewportOf(frame), p); }

inline Vec3 unproject(const FrameBuffer& frame, double sx, double sy, double w) {
    return unproject(viewportOf(frame), sx, sy, w);
}

// A point's place on the screen with its outcode. A rebuild works these out
// once per point rather than once for every triangle sharing the point.
struct ScreenPlacement {
    ProjectedPoint at;
    unsigned outcode = 0;
};

}  // namespace vellacor
