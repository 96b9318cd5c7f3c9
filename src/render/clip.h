#pragma once
#include <array>

#include "model/survey_point.h"

namespace vellacor {

// One polygon vertex on its way to the screen: camera-space position, the
// shade (a palette index carried as a real) and texture coordinates in texels.
struct ClipVertex {
    double x = 0, y = 0, z = 0;
    double shade = 0;
    double u = 0, v = 0;
};

// A polygon being clipped and filled. A triangle cut by all five planes of the
// view pyramid has at most eight vertices; the room for ten leaves slack.
inline constexpr int kMaxClipVertices = 10;
using ClipPolygon = std::array<ClipVertex, kMaxClipVertices>;

// Clips the polygon's first `count` vertices against the view pyramid and the
// near plane, interpolating shade and texture coordinates, and writes the
// result back. Returns the new count: 0 when nothing is left. Vertices that
// would not fit (only possible for polygons of many vertices) are dropped.
int clipPolygon(ClipPolygon& polygon, int count);

// The point where segment p -> q crosses the plane of outcode bit `plane`,
// lying exactly on it; attributes follow the same parameter.
ClipVertex intersectPlane(const ClipVertex& p, const ClipVertex& q, unsigned plane);

}  // namespace vellacor
