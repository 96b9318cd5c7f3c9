#pragma once
#include <cstddef>
#include <cstdint>

#include "model/survey_point.h"

namespace vellacor {

// One triangle of the surface. Vertices are counter-clockwise in plan;
// neighbour[k] shares the edge (vertex[k], vertex[(k + 1) % 3]).
// A large site holds two of these per point, so a record keeps only what is
// read often and costs time to work out: the plane's constant is one sum
// from the normal and the first corner (planeConstantOf), and how the
// renderer colours a triangle is kept by the renderer. The links sit beside
// the corners so that the record has no padding.
struct TinTriangle {
    std::int32_t vertex[3] = {0, 0, 0};
    std::int32_t neighbour[3] = {kNoTriangle, kNoTriangle, kNoTriangle};
    Vec3 centroid;
    Vec3 normal;
};

static_assert(sizeof(TinTriangle) == 72);

}  // namespace vellacor
