#pragma once
#include <cstddef>
#include <vector>

#include "model/survey_point.h"

namespace vellacor {

// How many vertices arcs may still add to a drawing. A bulge turns two
// vertices into up to fifty; the budget keeps a hostile file from turning a
// few megabytes into gigabytes. Once it is spent, arcs are drawn as chords.
struct ArcBudget {
    std::size_t vertices = 0;
};

// Appends the segment a -> b with its bulge (the tangent of a quarter of the
// included angle, positive counter-clockwise) as straight pieces, 50 to a
// full turn: every vertex after a, b last. Elevations go evenly from a to b.
// The ends are copies: `a` is often out.back(), which growing `out` moves.
void appendBulgedSegment(std::vector<Vec3>& out, Vec3 a, Vec3 b, double bulge, ArcBudget& budget);

// A circle as 50 vertices at k x 2 pi / 49, k = 0 to 49: the last repeats the first.
std::vector<Vec3> circleVertices(double cx, double cy, double radius, double z);

}  // namespace vellacor
