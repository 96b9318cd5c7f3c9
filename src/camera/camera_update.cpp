#include <algorithm>
#include <cmath>

#include "camera/camera.h"
#include "camera/projection.h"
#include "camera/vector_math.h"
#include "model/plan_math.h"
#include "model/site_document.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

bool isTriangle(const SurfaceView& surface, int t) {
    return t >= 0 && t < surface.triangleCount && static_cast<std::size_t>(t) < surface.triangles.size();
}

// First triangle in index order whose plan shape holds (x, y), either winding:
// triangle files bring no neighbour links to walk.
int firstTriangleContaining(const SurfaceView& surface, double x, double y) {
    for (int i = 0; i < surface.triangleCount && static_cast<std::size_t>(i) < surface.triangles.size(); ++i) {
        const TinTriangle& t = surface.triangle(i);
        Vec3 v[3];
        bool ok = true;
        for (int k = 0; k < 3 && ok; ++k) {
            const int p = t.vertex[k];
            ok = p >= 0 && static_cast<std::size_t>(p) < surface.points.size();
            if (ok) v[k] = {surface.point(p).easting, surface.point(p).northing, 0};
        }
        if (!ok) continue;
        const double d1 = cross2(v[1].x - v[0].x, v[1].y - v[0].y, x - v[0].x, y - v[0].y);
        const double d2 = cross2(v[2].x - v[1].x, v[2].y - v[1].y, x - v[1].x, y - v[1].y);
        const double d3 = cross2(v[0].x - v[2].x, v[0].y - v[2].y, x - v[2].x, y - v[2].y);
        if ((d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0)) return i;
    }
    return kNoTriangle;
}

}  // namespace

CameraStep Camera::Update(const CameraInputs& in) {
    CameraStep result;
    result.moved = advance(in, result.modeEnded);
    return result;
}

bool Camera::advance(const CameraInputs& in, bool& modeEnded) {
    bool changed = false;
    const double dt = in.frameSeconds;
    switch (mode) {
        case CameraMode::RotatingStart:
            if (!updateTransitionMode(in, CameraMode::Rotating)) return endMode(in, CameraMode::Rotating, modeEnded);
            changed = true;
            break;
        case CameraMode::WildStart:
            if (!updateTransitionMode(in, CameraMode::Wild)) return endMode(in, CameraMode::Wild, modeEnded);
            changed = true;
            break;
        case CameraMode::PlanViewStart:
            if (!updateTransitionMode(in, CameraMode::PlanViewEnd))
                return endMode(in, CameraMode::PlanViewEnd, modeEnded);
            changed = true;
            break;
        case CameraMode::PlanViewEnd: return endMode(in, CameraMode::Stationary, modeEnded);
        case CameraMode::Rotating:
            // One radian a second, but a slow frame must not jerk the view round.
            phase += std::min(dt, 0.03);
            OrbitTo(in.site, in.verticalScale, phase);
            changed = true;
            break;
        case CameraMode::Wild:
            phase += dt;
            WildTo(in.site, in.verticalScale, phase);
            changed = true;
            break;
        case CameraMode::RainCam: changed = updateRainCam(in); break;
        case CameraMode::FlyTo:
            if (!updateFlyTo(in)) {
                const bool moved = endMode(in, CameraMode::Freelook, modeEnded);
                velocity = {};
                return moved;
            }
            changed = true;
            break;
        default: break;
    }

    // Free flight comes to rest below one unit a second, or below a 200th of
    // the site a second on sites under 200 units: a small site flies under the
    // keys as a large one does, and neither drifts on a slow remainder.
    const double restSpeed = std::min(1.0, 0.005 * in.site.size);
    const double speed = std::min(length(velocity), 0.005 * in.site.size);  // the bounce's
    if (length(velocity) > restSpeed) {
        eye += dt * velocity;
        velocity = velocity * 0.8;
        if (length(velocity) < restSpeed) velocity = {};
        changed = true;
    }
    // In free look the flight bounces off the ground it ran into.
    if (mode == CameraMode::Freelook && in.surfaceLinked && in.pointFileFormat != PointFileFormat::Raw &&
        KeepAboveGround(in.surface, in.site)) {
        const Vec3 d = normalise(-velocity);
        const Vec3 n = normalOf(in.surface, groundTriangle);
        velocity = (2.0 * dot(d, n) * n - d) * speed;
        changed = true;
    }
    return changed;
}

bool Camera::endMode(const CameraInputs& in, CameraMode nextMode, bool& modeEnded) {
    mode = nextMode;
    step = 0;
    const bool changed = advance(in, modeEnded);
    modeEnded = true;
    return changed;
}

bool Camera::updateTransitionMode(const CameraInputs& in, CameraMode finalMode) {
    Vec3 eyeGoal = eye, directionGoal = direction;
    if (step == 0) {
        if (finalMode == CameraMode::PlanViewEnd) {
            const Vec3& g = in.site.centre;
            eyeGoal = {g.x, g.y, g.z + in.site.size / std::tan(fieldOfView * 0.5)};
            directionGoal = {0.0, 0.03, -0.9995};
        } else {
            // The pose the orbit would take now, without taking it yet.
            const Vec3 savedEye = eye, savedDirection = direction;
            if (finalMode == CameraMode::Rotating)
                OrbitTo(in.site, in.verticalScale, phase);
            else
                WildTo(in.site, in.verticalScale, phase);
            eyeGoal = eye;
            directionGoal = direction;
            eye = savedEye;
            direction = savedDirection;
        }
    }
    const bool moving = Transition(step, eyeGoal, directionGoal);
    ++step;
    return moving;
}

bool Camera::updateRainCam(const CameraInputs& in) {
    if (!in.rain) return false;
    const RainDropSource& rain = *in.rain;
    Vec3 drop;
    int triangle = kNoTriangle;
    if (!rain.GetDrop(0, drop, triangle)) return false;
    up = {0.0, 0.0, 1.0};
    eye = drop;
    eye.z += 0.005 * in.site.size;
    if (!isTriangle(in.surface, triangle)) {
        // Off the surface: turn slowly towards the site.
        const Vec3 toSite = normalise(in.site.centre - eye);
        direction = normalise(direction + (toSite - direction) * 0.1);
    } else {
        // On a face: turn gently downhill, but never look down steeper than z = -0.3.
        const Vec3 n = normalOf(in.surface, triangle);
        const Vec3 downhill = normalise({n.x * n.z, n.y * n.z, -(n.x * n.x + n.y * n.y)});
        direction = normalise(direction + (downhill - direction) * 0.02);
        direction.z = std::max(direction.z, -0.3);
    }
    return true;
}

bool Camera::startFlyTo(const CameraInputs& in) {
    const std::optional<Vec3> ground = pointer ? pointer->groundUnderCursor() : std::nullopt;
    if (!ground) return false;
    const Vec3 p = *ground;
    const double standoff = std::max(distance(p, eye) * 0.5, std::min(0.1 * in.site.size, 25.0));
    const int t = in.pointFileFormat == PointFileFormat::Raw ? firstTriangleContaining(in.surface, p.x, p.y)
                                                             : locateTriangle(in.surface, 0, p.x, p.y);
    if (!isTriangle(in.surface, t)) return false;  // nothing to fly to: straight to free look
    Vec3 n = normalOf(in.surface, t);
    if (n.z < 0.0) n = -n;  // a face wound the other way round must not send the eye under the ground
    Vec3 directionGoal = -n;
    if (n.x * n.x + n.y * n.y < 0.05)
        directionGoal = normalise({direction.x, direction.y, -10.0});  // level: keep the heading
    return Transition(0, p + standoff * n, directionGoal);
}

bool Camera::updateFlyTo(const CameraInputs& in) {
    if (!pointer) return false;
    bool moving = false;
    if (step == 0) {
        if (!startFlyTo(in)) return false;
        moving = true;
    } else {
        moving = Transition(step, eye, direction);
    }
    // Keep the ground point under the cursor while the view moves.
    if (const std::optional<Vec3> ground = pointer->groundUnderCursor()) {
        BuildView(in.verticalScale, in.viewport.width, in.viewport.height);
        const Vec3 c = transformPoint(*ground, view);
        if (outcode(c) == 0) {
            const ProjectedPoint s = project(in.viewport, c);
            pointer->placeCursorAt(static_cast<int>(s.x + 0.5), static_cast<int>(s.y + 0.5));
        }
    }
    ++step;
    return moving && pointer->rightButtonHeld();
}

bool Camera::KeepAboveGround(const SurfaceView& surface, const SiteFrame& site) {
    const Vec3& g = site.centre;
    const double s = site.size;
    if (isTriangle(surface, groundTriangle))
        groundTriangle = locateTriangleWalk(surface, surface.triangleCount, groundTriangle, eye.x, eye.y);
    else if (surface.triangleCount > 0 && std::fabs(eye.x - g.x) <= s && std::fabs(eye.y - g.y) <= s)
        groundTriangle = locateTriangleWalk(surface, surface.triangleCount, 0, eye.x, eye.y);
    else
        groundTriangle = kNoTriangle;
    if (!isTriangle(surface, groundTriangle)) {
        groundTriangle = kNoTriangle;
        return false;
    }
    const double ground = planeElevation(surface, groundTriangle, eye.x, eye.y);
    if (ground >= kNoElevation) return false;  // a vertical face has no height to keep above
    if (eye.z < ground + kGroundClearance) {
        eye.z = ground + kGroundClearance;
        return true;
    }
    return false;
}

void Camera::PlaceTargetOnSurface(const SurfaceView& surface, const Vec3& siteCentre, bool surfaceLinked) {
    const Vec3& g = siteCentre;
    target = g;
    if (!surfaceLinked || surface.triangleCount <= 0 || surface.triangles.empty()) return;
    const int t = locateTriangle(surface, 0, g.x, g.y);
    if (!isTriangle(surface, t)) {
        target = centroidOf(surface, 0);
        return;
    }
    const double z = planeElevation(surface, t, g.x, g.y);
    if (z < kNoElevation) target.z = z;
}

}  // namespace vellacor
