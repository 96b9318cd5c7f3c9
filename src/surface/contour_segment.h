#pragma once
#include "model/surface_view.h"
#include "model/survey_point.h"

namespace vellacor {

// The piece of one contour level inside one triangle. `edge[i]` is the
// triangle edge (vertex[k] -> vertex[k + 1]) that end i lies on; for a flat
// edge lying on the level both ends are that edge's vertices and `flatEdge`
// is set.
struct ContourSegment {
    Vec3 end[2];
    int edge[2] = {-1, -1};
    bool flatEdge = false;
};

// A triangle whose other two vertices lie within 0.001 of vertex[0]'s
// elevation: it carries no contour.
bool isFlatTriangle(const SurfaceView& surface, int t);

// The segment of `level` inside triangle t, from the crossings of its edges in
// edge order. An edge counts as crossed at its start vertex but not at its end
// vertex, so a vertex lying on the level yields one crossing, not two (a
// level passing just beside a vertex yields a short segment there). A flat
// edge on the level is the whole answer when the triangle rises away from it,
// so of two triangles sharing such an edge only the upper one produces it.
// True with exactly two crossings.
bool triangleContourSegment(const SurfaceView& surface, int t, double level, ContourSegment& out);

}  // namespace vellacor
