#pragma once
#include <cstdint>

#include "model/survey_point.h"

namespace vellacor {

// One triangle of the surface. Vertices are counter-clockwise in plan;
// neighbour[k] shares the edge (vertex[k], vertex[(k + 1) % 3]).
// The fields are ordered by use, not by meaning: what every frame reads for
// every triangle (corners, flat colour, centre, normal) fills the first 64
// bytes, so a pass over a large surface touches one cache line per triangle.
struct TinTriangle {
    std::int32_t vertex[3] = {0, 0, 0};
    std::uint8_t shadeFlag = 0;  // renderer byte (the flat colour)
    Vec3 centroid;
    Vec3 normal;
    double planeD = 0;
    std::int32_t neighbour[3] = {kNoTriangle, kNoTriangle, kNoTriangle};
    Vec3 shadeVector[3];       // per-vertex vectors owned by the shading code
    double shadeData[9] = {};  // values owned by the shading code
};

}  // namespace vellacor
