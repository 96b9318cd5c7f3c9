#include <algorithm>
#include <cmath>

#include "camera/camera.h"
#include "camera/vector_math.h"
#include "app/site_model.h"
#include "render/projection.h"

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
void Camera::OrbitBy(const SiteModel& site, double dx, double dy) {
    const double a = -0.005 * dx, b = -0.005 * dy;
    const Vec3 fromTarget = eye - target;
    const Vec3 u = normalise(fromTarget);
    const double r = length(fromTarget);
    const Vec3 oldEye = eye;
    const double h = Heading(u.x, u.y) + a;
    const double p = clampPolar(polarAngle(u.z) + b);
    eye = target + r * Vec3{std::cos(h) * std::sin(p), std::sin(h) * std::sin(p), std::cos(p)};
    direction = Spherical(Heading(direction.x, direction.y) + a, clampPolar(polarAngle(direction.z) - b));
    if (!KeepAboveGround(site)) {
        EaseToward(target);
        return;
    }
    eye = oldEye;
    direction = Spherical(Heading(direction.x, direction.y) - a, clampPolar(polarAngle(direction.z) + b));
}

void Camera::Zoom(double f) { eye = target + normalise(eye - target) * (length(eye - target) * f); }

void Camera::MoveAlong(double d) { eye += d * direction; }

void Camera::ToggleFreelook(SiteModel& site) {
    const bool entering = mode == Stationary;
    mode = entering ? Freelook : Stationary;
    step = 0;
    Update(site);
    site.renderer.redrawNeeded = true;
    if (entering || !site.document.triangulateStage.done) return;

    // Back to the orbit: the target goes to what is seen at the middle of the view.
    const FrameBuffer& frame = site.renderer.frame;
    const int sx = frame.viewWidth / 2, sy = frame.viewHeight / 2;
    double w = 0.0;
    if (frame.hasBuffers() && frame.depthBuffer.size() >= static_cast<std::size_t>(frame.pixelCount()))
        w = frame.depthBuffer[static_cast<std::size_t>(sy) * static_cast<std::size_t>(frame.viewWidth) +
                              static_cast<std::size_t>(sx)];
    if (w == 0.0)
        PlaceTargetOnSurface(site);
    else
        target = transformPoint(unproject(frame, sx, sy, w), inverse(view));
}

}  // namespace vellacor
