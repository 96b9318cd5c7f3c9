#include <algorithm>
#include <cmath>

#include "camera/camera.h"
#include "camera/vector_math.h"
#include "camera/projection.h"

namespace vellacor {

namespace {

double clampPolar(double p) { return std::clamp(p, kPoleMargin, kMaxPolar); }

}  // namespace

void Camera::Turn(double dh, double dp) {
    const double h = Heading(direction.x, direction.y) + dh;
    const double p = clampPolar(polarAngle(direction.z) + dp);
    direction = Spherical(h, p);
}

void Camera::EaseToward(const Vec3& p) {
    const Vec3 d = normalise(p - eye);
    const double dh = WrapAngle(Heading(d.x, d.y) - Heading(direction.x, direction.y));
    const double dp = WrapAngle(polarAngle(d.z) - polarAngle(direction.z));
    Turn(0.03 * dh, 0.03 * dp);
}

// Mouse pixels move the eye round the target on its sphere and turn the view
// with it; a move into the ground is taken back.
void Camera::OrbitBy(const SurfaceView& surface, const SiteFrame& site, double dx, double dy) {
    const double a = -kOrbitRadiansPerPixel * dx, b = -kOrbitRadiansPerPixel * dy;
    const Vec3 fromTarget = eye - target;
    const Vec3 u = normalise(fromTarget);
    const double r = length(fromTarget);
    const Vec3 oldEye = eye;
    const double h = Heading(u.x, u.y) + a;
    const double p = clampPolar(polarAngle(u.z) + b);
    eye = target + r * Vec3{std::cos(h) * std::sin(p), std::sin(h) * std::sin(p), std::cos(p)};
    direction = Spherical(Heading(direction.x, direction.y) + a, clampPolar(polarAngle(direction.z) - b));
    if (!KeepAboveGround(surface, site)) {
        EaseToward(target);
        return;
    }
    eye = oldEye;
    direction = Spherical(Heading(direction.x, direction.y) - a, clampPolar(polarAngle(direction.z) + b));
}

void Camera::Zoom(double f) { eye = target + normalise(eye - target) * (length(eye - target) * f); }

void Camera::MoveAlong(double d) { eye += d * direction; }

void Camera::ToggleFreelook(const CameraInputs& in, bool triangulated, const ScreenDepth& screen) {
    const bool entering = mode == CameraMode::Stationary;
    mode = entering ? CameraMode::Freelook : CameraMode::Stationary;
    step = 0;
    Update(in);
    if (entering || !triangulated) return;

    // Back to the orbit: the target goes to what is seen at the middle of the view.
    const Viewport& v = screen.viewport;
    const int sx = v.width / 2, sy = v.height / 2;
    double w = 0.0;
    if (!screen.depth.empty() && screen.depth.size() >= static_cast<std::size_t>(v.width * v.height))
        w = screen.at(sx, sy);
    if (w == 0.0)
        PlaceTargetOnSurface(in.surface, in.site.centre, in.surfaceLinked);
    else
        target = transformPoint(unproject(v, sx, sy, w), inverse(view));
}

}  // namespace vellacor
