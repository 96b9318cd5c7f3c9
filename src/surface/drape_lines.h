#pragma once
#include <span>
#include <vector>

#include "model/background_job.h"
#include "model/cad_lines.h"
#include "model/surface_view.h"
#include "model/tin_triangle.h"

namespace vellacor {

// A copy of a linked surface and the lines to lay on it, owned by the worker
// so that the surface may change while it runs.
struct DrapeWork {
    std::vector<SurveyPoint> points;
    int pointCount = 0;
    std::vector<TinTriangle> triangles;
    int triangleCount = 0;
    std::vector<HullEdge> hullEdges;
    std::vector<CadLine> lines;

    SurfaceView surface() const { return {points, pointCount, triangles, triangleCount, hullEdges}; }
};

// What the draping worker leaves: the work it was given (to check it against
// the surface when it is adopted) and one draped polyline per line, in the
// line's colour. Points off the surface carry kOutsideSurface and are gaps.
struct DrapeResult {
    DrapeWork work;
    std::vector<CadLine> draped;
};

// Lays every segment of every line onto the surface, reporting progress every
// 100 lines; false when cancelled. Lines that miss the surface leave an empty
// polyline. Time: the triangles (to sort them into a grid) plus, for each
// segment, the triangles it crosses and, where it is off the surface, the hull edges.
bool drapeCadLines(const SurfaceView& surface, std::span<const CadLine> lines, std::vector<CadLine>& draped,
                   const JobControl& control);

}  // namespace vellacor
