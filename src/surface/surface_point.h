#pragma once
#include <cstdint>

namespace vellacor {

// A survey point as the triangulation uses it.
struct SurfacePoint {
    double easting, northing, elevation;
    std::int32_t pointIndex;
};

}  // namespace vellacor
