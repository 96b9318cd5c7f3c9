#include "render/breakline_draw.h"

#include "render/line.h"

namespace vellacor {

namespace {

bool drawable(const SurfaceView& surface, const Breakline& k) {
    return k.a >= 0 && k.b >= 0 && k.a < surface.pointCount && k.b < surface.pointCount;
}

}  // namespace

void drawBreaklines(FrameBuffer& frame, const Matrix& view, const SurfaceView& surface,
                    std::span<const Breakline> breaklines) {
    for (const Breakline& k : breaklines)
        if (drawable(surface, k))
            drawLine3D(frame, sceneTarget(frame), cameraSpaceOf(surface.point(k.a), view),
                       cameraSpaceOf(surface.point(k.b), view), kBreaklineColour);
}

void drawBreaklineInserting(FrameBuffer& frame, const Matrix& view, const SurfaceView& surface,
                            const Breakline& breakline) {
    if (drawable(surface, breakline))
        drawLine3D(frame, displayTarget(frame), cameraSpaceOf(surface.point(breakline.a), view),
                   cameraSpaceOf(surface.point(breakline.b), view), kBreaklineInsertColour);
}

}  // namespace vellacor
