#include "camera/picking.h"

#include <algorithm>
#include <cmath>

#include "camera/vector_math.h"

namespace vellacor {

int pickNearestPoint(std::span<const SurveyPoint> points, int pointCount, const Matrix& view,
                     const ScreenDepth& screen, Pixel cursor) {
    if (pointCount <= 0 || screen.depth.empty()) return kNoPoint;
    const double sx = cursor.x, sy = cursor.y;
    int best = 0;
    bool found = false;
    double bestDistance = 99999999.0;
    for (int i = 0; i < pointCount; ++i) {
        const Vec3 p = cameraSpaceOf(points[static_cast<std::size_t>(i)], view);
        if (!(p.z <= p.x && p.x <= -p.z && p.z <= p.y && p.y <= -p.z && p.z <= -0.001)) continue;
        const ProjectedPoint q = project(screen.viewport, p);
        const double d = (sx - q.x) * (sx - q.x) + (sy - q.y) * (sy - q.y);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            found = true;
        }
    }
    // With no point in view there is no candidate: the first point may lie
    // behind the eye, where its projection lands anywhere on the screen.
    if (!found) return kNoPoint;
    const Vec3 p = cameraSpaceOf(points[static_cast<std::size_t>(best)], view);
    const ProjectedPoint q = project(screen.viewport, p);
    if (std::fabs(sx - std::trunc(q.x + 0.5)) > 7 || std::fabs(sy - std::trunc(q.y + 0.5)) > 7) return kNoPoint;
    return best;
}

double axisRadius(const Camera& camera, double siteSize) {
    return std::min(distance(camera.target, camera.eye) / 15.0, 0.04 * siteSize);
}

bool isNearAxis(const std::optional<Vec3>& ground, const Camera& camera, double siteSize) {
    return ground && distance(*ground, camera.target) < axisRadius(camera, siteSize);
}

std::optional<Vec3> pickGroundPoint(const ScreenDepth& screen, const Matrix& view, Pixel cursor) {
    const Viewport& v = screen.viewport;
    if (screen.depth.empty()) return std::nullopt;
    if (cursor.x < 0 || cursor.y < 0 || cursor.x >= v.width || cursor.y >= v.height) return std::nullopt;
    const double w = screen.at(cursor.x, cursor.y);
    if (w == 0.0) return std::nullopt;
    return transformPoint(unproject(v, cursor.x, cursor.y, w), inverse(view));
}

}  // namespace vellacor
