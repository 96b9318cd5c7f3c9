#include "render/clip.h"

#include "render/frame_projection.h"

namespace vellacor {

namespace {

Vec3 position(const ClipVertex& v) { return {v.x, v.y, v.z}; }

bool inside(const ClipVertex& v, unsigned plane) { return (outcode(position(v)) & plane) == 0; }

}  // namespace

ClipVertex intersectPlane(const ClipVertex& p, const ClipVertex& q, unsigned plane) {
    const double dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
    double t = 0.0;
    switch (plane) {
        case kOutBelow: t = (p.z - p.y) / (dy - dz); break;
        case kOutAbove: t = (-p.z - p.y) / (dz + dy); break;
        case kOutLeft: t = (p.z - p.x) / (dx - dz); break;
        case kOutRight: t = (-p.z - p.x) / (dz + dx); break;
        default: t = (kNearPlane - p.z) / dz; break;
    }
    ClipVertex r;
    r.x = p.x + t * dx;
    r.y = p.y + t * dy;
    r.shade = p.shade + t * (q.shade - p.shade);
    r.u = p.u + t * (q.u - p.u);
    r.v = p.v + t * (q.v - p.v);
    // Put the point exactly on the plane so rounding cannot leave it outside.
    switch (plane) {
        case kOutBelow: r.z = r.y; break;
        case kOutAbove: r.z = -r.y; break;
        case kOutLeft: r.z = r.x; break;
        case kOutRight: r.z = -r.x; break;
        default: r.z = kNearPlane; break;
    }
    return r;
}

int clipPolygon(ClipPolygon& polygon, int count) {
    if (count > kMaxClipVertices) count = kMaxClipVertices;
    // Wholly inside: nothing to cut. Wholly outside one plane: nothing left.
    unsigned any = 0, all = ~0u;
    for (int i = 0; i < count; ++i) {
        const unsigned code = outcode(position(polygon[static_cast<std::size_t>(i)]));
        any |= code;
        all &= code;
    }
    if (any == 0) return count;
    if (all != 0) return 0;

    ClipPolygon scratch;
    ClipPolygon* in = &polygon;
    ClipPolygon* out = &scratch;
    static constexpr unsigned kPlanes[] = {kOutBelow, kOutAbove, kOutLeft, kOutRight, kOutNear};
    for (unsigned plane : kPlanes) {
        int n = 0;
        auto emit = [&](const ClipVertex& v) {
            if (n < kMaxClipVertices) (*out)[static_cast<std::size_t>(n++)] = v;
        };
        for (int i = 0; i < count; ++i) {
            const ClipVertex& prev = (*in)[static_cast<std::size_t>(i == 0 ? count - 1 : i - 1)];
            const ClipVertex& cur = (*in)[static_cast<std::size_t>(i)];
            const bool prevIn = inside(prev, plane), curIn = inside(cur, plane);
            if (prevIn && curIn) {
                emit(cur);
            } else if (prevIn) {
                emit(intersectPlane(prev, cur, plane));
            } else if (curIn) {
                emit(intersectPlane(prev, cur, plane));
                emit(cur);
            }
        }
        count = n;
        std::swap(in, out);
        if (count == 0) break;
    }
    if (in != &polygon)
        for (int i = 0; i < count; ++i) polygon[static_cast<std::size_t>(i)] = (*in)[static_cast<std::size_t>(i)];
    return count;
}

}  // namespace vellacor
