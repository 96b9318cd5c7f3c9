#include "camera/picking.h"

#include <cmath>

#include "camera/matrix.h"
#include "app/site_model.h"
#include "render/projection.h"

namespace vellacor {

int pickNearestPoint(const SiteModel& model, Pixel cursor) {
    if (!model.document.documentLoaded || model.document.pointCount <= 0 || !model.renderer.frame.hasBuffers()) return kNoPoint;
    const double sx = cursor.x, sy = cursor.y;
    int best = 0;
    double bestDistance = 99999999.0;
    for (int i = 0; i < model.document.pointCount; ++i) {
        const Vec3& p = model.document.points[static_cast<std::size_t>(i)].scenePosition;
        if (!(p.z <= p.x && p.x <= -p.z && p.z <= p.y && p.y <= -p.z && p.z <= -0.001)) continue;
        const ProjectedPoint q = project(model.renderer.frame, p);
        const double d = (sx - q.x) * (sx - q.x) + (sy - q.y) * (sy - q.y);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    const Vec3& p = model.document.points[static_cast<std::size_t>(best)].scenePosition;
    if (p.z == 0.0) return kNoPoint;  // no point in view: the fallback candidate cannot be projected
    const ProjectedPoint q = project(model.renderer.frame, p);
    if (std::fabs(sx - std::trunc(q.x + 0.5)) > 7 || std::fabs(sy - std::trunc(q.y + 0.5)) > 7) return kNoPoint;
    return best;
}

std::optional<Vec3> pickGroundPoint(const SiteModel& model, Pixel cursor) {
    const FrameBuffer& f = model.renderer.frame;
    if (!model.document.triangulateStage.done || !f.hasBuffers()) return std::nullopt;
    if (cursor.x < 0 || cursor.y < 0 || cursor.x >= f.viewWidth || cursor.y >= f.viewHeight) return std::nullopt;
    const double w = f.depthBuffer[static_cast<std::size_t>(cursor.y) * static_cast<std::size_t>(f.viewWidth) +
                                   static_cast<std::size_t>(cursor.x)];
    if (w == 0.0) return std::nullopt;
    return transformPoint(unproject(f, cursor.x, cursor.y, w), inverse(model.camera.view));
}

}  // namespace vellacor
