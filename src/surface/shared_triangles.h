#pragma once
#include <cstdint>
#include <vector>

#include "surface/plan_tin.h"

namespace vellacor {

// Where two surfaces share triangles. A finished-ground design usually keeps
// the existing ground's own points beyond the reach of its grading, so there
// both triangulations have the very same triangles: the overlay's piece is
// the triangle itself and needs no search or clipping.
struct SharedTriangles {
    // For each site triangle with wanted[t] set: the comparison triangle
    // with the same three corners in plan (exactly equal coordinates), or -1.
    std::vector<std::int32_t> twin;
    // For each comparison point: 1 where a corner of a wanted site triangle
    // has its plan position (0 may also be on one).
    std::vector<std::uint8_t> comparisonPointShared;
};

// O(points + wanted triangles), on two threads; O(comparison points) when
// a sample of the site's points finds few of them in the comparison (then
// nothing is shared).
SharedTriangles sharedTriangles(const PlanTin& site, const PlanTin& comparison, const std::vector<std::uint8_t>& wanted);

}  // namespace vellacor
