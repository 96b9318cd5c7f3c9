#pragma once
#include <cstdint>

namespace vellacor {

// A survey point as the triangulation uses it: its plan position (the
// elevation stays with the document's point, which the triangles name).
struct SurfacePoint {
    double easting, northing;
    std::int32_t pointIndex;
};

}  // namespace vellacor
