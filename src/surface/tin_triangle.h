#pragma once
#include <cstdint>

#include "model/survey_point.h"

namespace vellacor {

// One triangle of the surface. Vertices are counter-clockwise in plan;
// neighbour[k] shares the edge (vertex[k], vertex[(k + 1) % 3]).
struct TinTriangle {
    std::int32_t vertex[3] = {0, 0, 0};
    Vec3 centroid;
    Vec3 normal;
    double planeD = 0;
    Vec3 shadeVector[3];  // per-vertex vectors owned by the shading code
    std::uint8_t shadeFlag = 0;
    double shadeData[9] = {};  // values owned by the shading code
    std::int32_t neighbour[3] = {kNoTriangle, kNoTriangle, kNoTriangle};
};

}  // namespace vellacor
