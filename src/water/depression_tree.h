#pragma once
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "model/surface_view.h"

namespace vellacor {

// A closed depression of the surface while water rises in it: it starts at
// its bottom, takes in its own points as the water passes them, and at its
// spill level either joins the depressions it meets there (its parent) or,
// with no parent, its water runs off the surface.
struct Depression {
    std::int32_t bottom = kNoPoint;  // its lowest point (of equal ones, the first)
    double spillLevel = HUGE_VAL;  // until it is found: a surface with no outer edge never spills
    std::int32_t spillPoint = kNoPoint;  // a point at the spill level next to its water
    std::int32_t parent = -1;
};

// Every depression of a linked surface, found by letting the water rise over
// the whole surface at once: points are taken lowest first, ground reached
// by water that can run off the outer edge drains, and bodies of water that
// meet at a level (a shared point, a level edge or a flat) become one.
struct DepressionTree {
    std::vector<Depression> depressions;
    // Each depression's own points, lowest first, and its children, as offsets into one list each.
    std::vector<std::int32_t> pointOffsets, pointList;
    std::vector<std::int32_t> childOffsets, childList;

    std::span<const std::int32_t> pointsOf(int d) const { return slice(pointOffsets, pointList, d); }
    std::span<const std::int32_t> childrenOf(int d) const { return slice(childOffsets, childList, d); }

private:
    static std::span<const std::int32_t> slice(const std::vector<std::int32_t>& offsets,
                                               const std::vector<std::int32_t>& list, int d) {
        const auto b = static_cast<std::size_t>(offsets[static_cast<std::size_t>(d)]);
        const auto e = static_cast<std::size_t>(offsets[static_cast<std::size_t>(d) + 1]);
        return std::span<const std::int32_t>(list).subspan(b, e - b);
    }
};

DepressionTree findDepressions(const SurfaceView& surface);

}  // namespace vellacor
