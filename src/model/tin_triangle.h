#pragma once
#include <cstddef>
#include <cstdint>

#include "model/survey_point.h"

namespace vellacor {

// One triangle of the surface. Vertices are counter-clockwise in plan;
// neighbour[k] shares the edge (vertex[k], vertex[(k + 1) % 3]).
// The fields are ordered by use, not by meaning: what every frame reads for
// every triangle (corners, centre, normal) fills the first 64 bytes, so a pass
// over a large surface touches one cache line per triangle. How the renderer
// colours a triangle is kept by the renderer, not here.
struct TinTriangle {
    std::int32_t vertex[3] = {0, 0, 0};
    Vec3 centroid;
    Vec3 normal;
    double planeD = 0;
    std::int32_t neighbour[3] = {kNoTriangle, kNoTriangle, kNoTriangle};
};

// The scene passes and the surface walks rely on this layout.
static_assert(sizeof(TinTriangle) == 88);
static_assert(offsetof(TinTriangle, vertex) == 0);
static_assert(offsetof(TinTriangle, centroid) == 16);
static_assert(offsetof(TinTriangle, normal) == 40);
static_assert(offsetof(TinTriangle, normal) + sizeof(Vec3) <= 64, "a frame's reads must fit one cache line");

}  // namespace vellacor
