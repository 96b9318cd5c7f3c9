#pragma once
#include <compare>
#include <cstdint>

#include "model/surface_view.h"
#include "model/survey_point.h"

namespace vellacor {

// The piece of one contour level inside one triangle. `edge[i]` is the
// triangle edge (vertex[k] -> vertex[k + 1]) that end i lies on; an end at a
// vertex names the edge that starts there. For a piece along an edge whose
// two vertices lie on the level both ends are that edge's vertices, both
// `edge`s that edge, and `flatEdge` is set.
struct ContourSegment {
    Vec3 end[2];
    int edge[2] = {-1, -1};
    bool flatEdge = false;
};

// A triangle whose other two vertices lie within 0.001 of vertex[0]'s
// elevation: it carries no contour.
bool isFlatTriangle(const SurfaceView& surface, int t);

// How far from a level a vertex may lie and still count as on it: far below
// any survey's precision, far above the rounding of levels stepped one
// interval at a time.
inline constexpr double kOnLevel = 1e-6;

// The segment of `level` inside triangle t. A vertex on the level counts as
// lying just above it, so the level divides the corners into those below it
// and the rest, and the segment joins the crossings of the two edges between
// them, in edge order; a crossing at a vertex on the level is that vertex.
// So a level that only touches a vertex gives nothing (no zero-length piece),
// and an edge on the level is produced by the triangle that falls away below
// it, never by one that rises from it. When `linked` (the triangles'
// neighbour links are current) such an edge is left out too when the
// triangle across it also falls away: the level only grazes a ridge there,
// and the two triangles' copies would make a line that runs out along the
// ridge and back. True with a segment.
bool triangleContourSegment(const SurfaceView& surface, int t, double level, ContourSegment& out, bool linked = false);

// The two corners of the edge a flatEdge segment lies on, lower index first:
// what two triangles producing the same edge have in common.
struct EdgeCorners {
    std::int32_t low, high;
    friend bool operator==(const EdgeCorners&, const EdgeCorners&) = default;
    friend auto operator<=>(const EdgeCorners&, const EdgeCorners&) = default;
};
EdgeCorners flatEdgeCorners(const SurfaceView& surface, int t, const ContourSegment& segment);

}  // namespace vellacor
