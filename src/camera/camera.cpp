#include "camera/camera.h"

#include <algorithm>
#include <cmath>

#include "camera/vector_math.h"

namespace vellacor {

void Camera::Construct() {
    FlyToPointer* keep = pointer;
    *this = Camera{};
    direction = {};
    up = {};
    pointer = keep;
    Reset();
}

// Standing still with no velocity, the camera has nothing to update.
void Camera::Reset() {
    eye = {};
    direction = {0.0, 0.0, -1.0};
    up = {0.0, 0.0, 1.0};
    velocity = {};
    fieldOfView = kHalfPi;
    mode = CameraMode::Stationary;
    phase = 4.71238898038469;
    step = 0;
    BuildView(1.0, 640, 480);
}

void Camera::SetMode(const CameraInputs& in, CameraMode newMode) {
    mode = newMode;
    step = 0;
    Update(in);
}

// The view's heights are multiplied by the vertical scale, so the eye's height
// above the target is divided by it; the direction is worked out in the scaled
// picture and so uses the unscaled height.
void Camera::OrbitTo(const SiteFrame& site, double verticalScale, double a) {
    const double s = site.size;
    const double h = 0.3 * s, r = 0.9 * s;
    up = {0.0, 0.0, 1.0};
    eye = {target.x + r * std::cos(a), target.y + r * std::sin(a), target.z + h / verticalScale};
    velocity = {};
    direction = normalise({target.x - eye.x, target.y - eye.y, -h});
}

void Camera::WildTo(const SiteFrame& site, double verticalScale, double a) {
    const double s = site.size;
    const double h = (std::sin(0.655214 * a) + 1.15) * s * 0.5;
    const double r = (std::sin(0.4857 * a) + 1.01) * s * 0.1667;
    up = {0.0, 0.0, 1.0};
    eye = {target.x + r * std::cos(a), target.y + r * std::sin(a), target.z + h / verticalScale};
    velocity = {};
    direction = normalise({target.x - eye.x, target.y - eye.y, -h});
}

bool Camera::Transition(int transitionStep, const Vec3& eyeGoal, const Vec3& directionGoal) {
    if (transitionStep >= kTransitionFrames) return false;
    if (transitionStep == 0) {
        transitionEyeStep = (eyeGoal - eye) * 0.05;
        transitionHeadingStep =
            WrapAngle(Heading(directionGoal.x, directionGoal.y) - Heading(direction.x, direction.y)) * 0.05;
        transitionPolarStep = WrapAngle(polarAngle(directionGoal.z) - polarAngle(direction.z)) * 0.05;
    }
    eye += transitionEyeStep;
    const double h = Heading(direction.x, direction.y) + transitionHeadingStep;
    const double p = std::clamp(polarAngle(direction.z) + transitionPolarStep, kPoleMargin, kMaxPolar);
    direction = Spherical(h, p);
    return true;
}

void Camera::BuildView(double verticalScale, int width, int height) {
    const Vec3 zAxis = normalise(-direction);
    const Vec3 xAxis = normalise(cross(zAxis, up));
    const Vec3 yAxis = cross(zAxis, xAxis);
    const double aspect = static_cast<double>(width) / std::max(height, 1);
    view = Matrix::translation(-eye) * Matrix::diagonal(1.0, 1.0, verticalScale, 1.0) *
           Matrix::fromColumns(xAxis, yAxis, zAxis) * Matrix::diagonal(1.0, aspect, 1.0, 1.0);
}

}  // namespace vellacor
