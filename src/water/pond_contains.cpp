#include <cmath>

#include "camera/vector_math.h"
#include "render/frame_projection.h"
#include "surface/tin_geometry.h"
#include "water/pond_system.h"

namespace vellacor {

namespace {

// The drop is inside the view and nothing drawn hides it.
bool dropSeen(const RainDrop& drop, const DropSight& sight) {
    if (!sight.view || !sight.frame || !sight.frame->hasBuffers()) return false;
    const FrameBuffer& f = *sight.frame;
    const Vec3 c = transformPoint(drop.position, *sight.view);
    if (outcode(c) != 0) return false;
    const ProjectedPoint q = project(f, c);
    const int px = static_cast<int>(q.x), py = static_cast<int>(q.y);
    if (px < 0 || py < 0 || px >= f.viewWidth || py >= f.viewHeight) return false;
    return q.w - 0.0003 <= f.depthBuffer[static_cast<std::size_t>(py) * static_cast<std::size_t>(f.viewWidth) +
                                        static_cast<std::size_t>(px)];
}

}  // namespace

bool PondSystem::ContainsDrop(const SurfaceView& surface, double siteSize, RainDrop& drop, const DropSight& sight) {
    const int p = pondUnder(drop.triangle, drop.position.z);
    if (p < 0) return false;
    if (sight.ripples && dropSeen(drop, sight)) waves_.start(drop.position.x, drop.position.y);
    Pond& pond = ponds_[static_cast<std::size_t>(p)];
    if (!pond.full) {
        Rise(surface, p, siteSize);
        return true;
    }
    if (pond.spillPoint < 0 || pond.spillTriangle < 0) return false;
    // On past the spill point, from the place worked out when the pond filled.
    drop.position = pond.overflow;
    drop.previousPosition = drop.position;
    drop.velocity = drop.velocity * 0.1;
    drop.triangle = pond.spillTriangle;
    return false;
}

}  // namespace vellacor
