#pragma once
#include <cstdint>
#include <vector>

namespace vellacor {

inline constexpr double kSamePosition = 0.005;  // two survey points closer than this in both axes coincide

// Survey points that must stay out of the surface because a later point lies
// at the same plan position: within 0.005 in both easting and northing.
// "Later" is the order by easting (then northing, then point index), so of a
// group of coincident points the one furthest east survives. Returns positions
// into the arrays, ascending. Linear time: points are bucketed in cells, each
// checked only against its neighbours; give the points in a spatially
// coherent order (see hilbertOrder) and the buckets are touched locally.
std::vector<std::int32_t> findDuplicatePositions(const double* easting, const double* northing,
                                                 const std::int32_t* pointIndex, int count);

}  // namespace vellacor
