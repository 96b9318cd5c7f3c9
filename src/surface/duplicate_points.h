#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "surface/surface_point.h"

namespace vellacor {

inline constexpr double kSamePosition = 0.005;  // two survey points closer than this in both axes coincide

// A survey point left out of the surface, and the point the surface keeps
// at its place (positions into the points given).
struct DuplicatePosition {
    std::int32_t dropped;
    std::int32_t kept;
};

// Survey points that must stay out of the surface because a later point lies
// at the same plan position: within 0.005 in both easting and northing.
// "Later" is the order by easting (then northing, then point index), so of a
// group of coincident points the one furthest east survives. Each comes with
// the point that stands for it in the surface: the later one it coincides
// with, or, when that one is left out too, the one that stands for that.
// Ascending by dropped position. Linear time: points are bucketed in cells,
// each checked only against its neighbours, in the cells' order whatever
// the order of the points.
std::vector<DuplicatePosition> findDuplicatePositions(std::span<const SurfacePoint> points);

}  // namespace vellacor
