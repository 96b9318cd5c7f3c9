#pragma once
#include "model/survey_point.h"
#include "surface/point_location.h"
#include "surface/tin_geometry.h"

namespace vellacor {

// The walk the view and the rain use to find the triangle under a position:
// from each triangle it leaves by the edge that the line from its centroid
// to the position crosses, and it gives up where the line meets no edge
// cleanly (through a corner, or nearly along an edge) or a link is missing.
// Its tests take either turn of corners. `faces` answers holds(t, x, y)
// (inside or on the boundary), corner(t, k) (PlanXY) and neighbour(t, k),
// for `count` triangles. Steps at most `maxSteps` times; kNoTriangle when
// it gives up.
template <typename Faces>
int walkFromCentroids(const Faces& faces, int count, int maxSteps, int start, double x, double y) {
    if (start < 0 || start >= count || maxSteps < 0) return kNoTriangle;
    int t = start;
    for (int steps = 0;; ++steps) {
        if (faces.holds(t, x, y)) return t;
        const PlanXY c[3] = {faces.corner(t, 0), faces.corner(t, 1), faces.corner(t, 2)};
        const double cx = (c[0].x + c[1].x + c[2].x) * kCentroidThird;
        const double cy = (c[0].y + c[1].y + c[2].y) * kCentroidThird;
        int exit = -1;
        for (int k = 0; k < 3 && exit < 0; ++k) {
            const PlanXY &p = c[k], &q = c[(k + 1) % 3];
            if (planSegmentsCrossStrictly(cx, cy, x, y, p.x, p.y, q.x, q.y)) exit = k;
        }
        if (exit < 0) return kNoTriangle;
        const int next = faces.neighbour(t, exit);
        if (next < 0 || next >= count) return kNoTriangle;
        if (steps + 1 > maxSteps) return kNoTriangle;
        t = next;
    }
}

}  // namespace vellacor
