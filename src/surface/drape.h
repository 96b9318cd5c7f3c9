#pragma once
#include <vector>

#include "model/surface_view.h"
#include "model/survey_point.h"

namespace vellacor {

struct TriangleGrid;

inline constexpr double kOutsideSurface = -999999.0;  // elevation of a draped point off the surface

// Where a drape looks for the triangle under its start: first `triangle`,
// then the grid when there is one, else a walk from `triangle` and, when the
// walk fails, a scan of every triangle. After a drape `triangle` is the one
// it ended in, so the next segment of a polyline starts there at once.
struct DrapeStart {
    const TriangleGrid* grid = nullptr;
    int triangle = 0;
};

// Lays the plan line (x0, y0) -> (x1, y1) onto the surface: appends the start,
// every point where it crosses a triangle edge or passes a vertex (a line
// along an edge passes both its ends), and the end, each with the elevation
// of the surface there, and returns how many points it appended; 0 when the
// line touches no part of the surface. Elevations are those of the surface
// itself, finite even on faces that stand upright in plan: a vertex keeps its
// own, an edge point is interpolated along the edge, a point inside a face
// from its corners. A start outside the surface moves to where the line first
// enters it. Where the line leaves the surface and comes back, the point of
// re-entry is appended twice: first with elevation kOutsideSurface, marking
// the gap, then on the surface. An end outside the surface gets
// kOutsideSurface. Needs the neighbour links. Time: the triangles the line
// crosses and the vertices around those it passes, plus the hull edges for
// each time it is off the surface.
int drapeSegment(const SurfaceView& surface, DrapeStart& start, double x0, double y0, double x1, double y1,
                 std::vector<Vec3>& out);
int drapeSegment(const SurfaceView& surface, double x0, double y0, double x1, double y1, std::vector<Vec3>& out);

}  // namespace vellacor
