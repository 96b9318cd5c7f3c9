#pragma once
#include <cstddef>
#include <cstdint>

#include "model/survey_point.h"

namespace vellacor {

// One triangle of the surface. Vertices are counter-clockwise in plan;
// neighbour[k] shares the edge (vertex[k], vertex[(k + 1) % 3]).
// A large site holds two of these per point, so a record keeps only its
// corners and links: its centroid and normal are worked out from the
// corners when asked (centroidOf, normalOf), and how the renderer colours a
// triangle is kept by the renderer.
struct TinTriangle {
    std::int32_t vertex[3] = {0, 0, 0};
    std::int32_t neighbour[3] = {kNoTriangle, kNoTriangle, kNoTriangle};
};

static_assert(sizeof(TinTriangle) == 24);

}  // namespace vellacor
