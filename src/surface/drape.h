#pragma once
#include <vector>

#include "model/surface_view.h"
#include "model/survey_point.h"

namespace vellacor {

inline constexpr double kOutsideSurface = -999999.0;  // elevation of a draped point off the surface

// Lays the plan line (x0, y0) -> (x1, y1) onto the surface: appends the start,
// every crossing with a triangle edge, and the end, each with the elevation of
// the surface there (99999999.0 on a vertical plane), and returns how many
// points it appended; 0 when the line touches no part of the surface. A start
// outside the surface moves to where the line enters it. Where the line
// leaves the surface and comes back, the point of re-entry is appended twice:
// first with elevation -999999.0, marking the gap, then on the surface. An end
// outside the surface gets -999999.0. Needs the neighbour links.
int drapeSegment(const SurfaceView& surface, double x0, double y0, double x1, double y1, std::vector<Vec3>& out);

// Where the plan segment a -> b crosses edge k of triangle t
// (vertex[k] -> vertex[(k + 1) % 3]) strictly inside both (0.000001 < s < 0.999999
// on each; nearly parallel lines do not cross), with the triangle's plane
// elevation there.
bool edgeCrossing(const SurfaceView& surface, int t, int k, double ax, double ay, double bx, double by, Vec3& out);

// For p0 outside the surface: moves p0 to where the line p0 -> p1 enters the
// surface through a hull edge and returns that edge's triangle; kNoTriangle
// (p0 unchanged) when the line never enters.
int enterSurface(const SurfaceView& surface, Vec3& p0, const Vec3& p1);

}  // namespace vellacor
