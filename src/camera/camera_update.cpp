#include <algorithm>
#include <cmath>

#include "camera/camera.h"
#include "camera/vector_math.h"
#include "app/site_model.h"
#include "render/projection.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

bool isTriangle(const SiteModel& site, int t) {
    return t >= 0 && t < site.document.triangleCount && static_cast<std::size_t>(t) < site.document.triangles.size();
}

double cross2(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// First triangle in index order whose plan shape holds (x, y), either winding:
// triangle files bring no neighbour links to walk.
int firstTriangleContaining(const SiteModel& site, double x, double y) {
    for (int i = 0; i < site.document.triangleCount && static_cast<std::size_t>(i) < site.document.triangles.size(); ++i) {
        const TinTriangle& t = site.document.triangles[static_cast<std::size_t>(i)];
        Vec3 v[3];
        bool ok = true;
        for (int k = 0; k < 3 && ok; ++k) {
            const int p = t.vertex[k];
            ok = p >= 0 && static_cast<std::size_t>(p) < site.document.points.size();
            if (ok)
                v[k] = {site.document.points[static_cast<std::size_t>(p)].easting,
                        site.document.points[static_cast<std::size_t>(p)].northing, 0};
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

bool Camera::Update(SiteModel& site) {
    bool changed = false;
    const double dt = site.cycle.frameSeconds;
    switch (mode) {
        case RotatingStart:
            if (!UpdateTransitionMode(site, Rotating)) return EndMode(site, Rotating);
            changed = true;
            break;
        case WildStart:
            if (!UpdateTransitionMode(site, Wild)) return EndMode(site, Wild);
            changed = true;
            break;
        case PlanViewStart:
            if (!UpdateTransitionMode(site, PlanViewEnd)) return EndMode(site, PlanViewEnd);
            changed = true;
            break;
        case PlanViewEnd: return EndMode(site, Stationary);
        case Rotating:
            // One radian a second, but a slow frame must not jerk the view round.
            phase += std::min(dt, 0.03);
            OrbitTo(site, phase);
            changed = true;
            break;
        case Wild:
            phase += dt;
            WildTo(site, phase);
            changed = true;
            break;
        case RainCam: changed = UpdateRainCam(site); break;
        case FlyTo:
            if (!UpdateFlyTo(site)) {
                const bool moved = EndMode(site, Freelook);
                velocity = {};
                return moved;
            }
            changed = true;
            break;
        default: break;
    }

    // Free flight: the speed test uses a capped speed, so small sites (under
    // 200 units) never drift; the move itself uses the full velocity.
    const double speed = std::min(length(velocity), 0.005 * site.document.siteSize);
    if (speed > 1.0) {
        eye += dt * velocity;
        velocity = velocity * 0.8;
        if (length(velocity) < 1.0) velocity = {};
        changed = true;
    }
    // In free look the flight bounces off the ground it ran into.
    if (mode == Freelook && site.document.contourStage.done && site.document.pointFileFormat != PointFileFormat::Raw && KeepAboveGround(site)) {
        const Vec3 d = normalise(-velocity);
        const Vec3& n = site.document.triangles[static_cast<std::size_t>(groundTriangle)].normal;
        velocity = (2.0 * dot(d, n) * n - d) * speed;
        changed = true;
    }
    return changed;
}

bool Camera::EndMode(SiteModel& site, int nextMode) {
    mode = nextMode;
    step = 0;
    const bool changed = Update(site);
    site.renderer.redrawNeeded = true;
    return changed;
}

bool Camera::UpdateTransitionMode(SiteModel& site, int finalMode) {
    Vec3 eyeGoal = eye, directionGoal = direction;
    if (step == 0) {
        if (finalMode == PlanViewEnd) {
            const Vec3& g = site.document.siteCentre;
            eyeGoal = {g.x, g.y, g.z + site.document.siteSize / std::tan(fieldOfView * 0.5)};
            directionGoal = {0.0, 0.03, -0.9995};
        } else {
            // The pose the orbit would take now, without taking it yet.
            const Vec3 savedEye = eye, savedDirection = direction;
            if (finalMode == Rotating)
                OrbitTo(site, phase);
            else
                WildTo(site, phase);
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

bool Camera::UpdateRainCam(SiteModel& site) {
    if (!site.display.showRain || !site.water.rainSystem) return false;
    const RainDropSource& rain = *site.water.rainSystem;
    Vec3 drop;
    int triangle = kNoTriangle;
    if (!rain.GetDrop(0, drop, triangle)) return false;
    up = {0.0, 0.0, 1.0};
    eye = drop;
    eye.z += 0.005 * site.document.siteSize;
    if (!isTriangle(site, triangle)) {
        // Off the surface: turn slowly towards the site.
        const Vec3 toSite = normalise(site.document.siteCentre - eye);
        direction = normalise(direction + (toSite - direction) * 0.1);
    } else {
        // On a face: turn gently downhill, but never look down steeper than z = -0.3.
        const Vec3& n = site.document.triangles[static_cast<std::size_t>(triangle)].normal;
        const Vec3 downhill = normalise({n.x * n.z, n.y * n.z, -(n.x * n.x + n.y * n.y)});
        direction = normalise(direction + (downhill - direction) * 0.02);
        direction.z = std::max(direction.z, -0.3);
    }
    return true;
}

bool Camera::StartFlyTo(SiteModel& site) {
    const std::optional<Vec3> ground = pointer ? pointer->groundUnderCursor() : std::nullopt;
    if (!ground) return false;
    const Vec3 p = *ground;
    const double standoff = std::max(distance(p, eye) * 0.5, std::min(0.1 * site.document.siteSize, 25.0));
    const int t =
        site.document.pointFileFormat == PointFileFormat::Raw ? firstTriangleContaining(site, p.x, p.y) : locateTriangle(surfaceOf(site.document), 0, p.x, p.y);
    if (!isTriangle(site, t)) return false;  // nothing to fly to: straight to free look
    Vec3 n = site.document.triangles[static_cast<std::size_t>(t)].normal;
    if (n.z < 0.0) n = -n;  // a face wound the other way round must not send the eye under the ground
    Vec3 directionGoal = -n;
    if (n.x * n.x + n.y * n.y < 0.05)
        directionGoal = normalise({direction.x, direction.y, -10.0});  // level: keep the heading
    return Transition(0, p + standoff * n, directionGoal);
}

bool Camera::UpdateFlyTo(SiteModel& site) {
    if (!pointer) return false;
    bool moving = false;
    if (step == 0) {
        if (!StartFlyTo(site)) return false;
        moving = true;
    } else {
        moving = Transition(step, eye, direction);
    }
    // Keep the ground point under the cursor while the view moves.
    if (const std::optional<Vec3> ground = pointer->groundUnderCursor()) {
        const FrameBuffer& frame = site.renderer.frame;
        BuildView(site.display.verticalScale, frame.viewWidth, frame.viewHeight);
        const Vec3 c = transformPoint(*ground, view);
        if (outcode(c) == 0) {
            const ProjectedPoint s = project(frame, c);
            pointer->placeCursorAt(static_cast<int>(s.x + 0.5), static_cast<int>(s.y + 0.5));
        }
    }
    ++step;
    return moving && pointer->rightButtonHeld();
}

bool Camera::KeepAboveGround(const SiteModel& site) {
    const Vec3& g = site.document.siteCentre;
    const double s = site.document.siteSize;
    if (isTriangle(site, groundTriangle))
        groundTriangle = locateTriangleWalk(surfaceOf(site.document), site.document.triangleCount, groundTriangle, eye.x, eye.y);
    else if (site.document.triangleCount > 0 && std::fabs(eye.x - g.x) <= s && std::fabs(eye.y - g.y) <= s)
        groundTriangle = locateTriangleWalk(surfaceOf(site.document), site.document.triangleCount, 0, eye.x, eye.y);
    else
        groundTriangle = kNoTriangle;
    if (!isTriangle(site, groundTriangle)) {
        groundTriangle = kNoTriangle;
        return false;
    }
    const double ground = planeElevation(site.document.triangles[static_cast<std::size_t>(groundTriangle)], eye.x, eye.y);
    if (ground >= kNoElevation) return false;  // a vertical face has no height to keep above
    if (eye.z < ground + kGroundClearance) {
        eye.z = ground + kGroundClearance;
        return true;
    }
    return false;
}

void Camera::PlaceTargetOnSurface(const SiteModel& site) {
    const Vec3& g = site.document.siteCentre;
    target = g;
    if (!site.document.contourStage.done || site.document.triangleCount <= 0 || site.document.triangles.empty()) return;
    const int t = locateTriangle(surfaceOf(site.document), 0, g.x, g.y);
    if (!isTriangle(site, t)) {
        target = site.document.triangles[0].centroid;
        return;
    }
    const double z = planeElevation(site.document.triangles[static_cast<std::size_t>(t)], g.x, g.y);
    if (z < kNoElevation) target.z = z;
}

}  // namespace vellacor
