#pragma once
#include <cstdint>
#include <vector>

#include "model/survey_point.h"

namespace vellacor {

// What a boundary polygon does to the surface: an outer boundary keeps only
// the triangles inside it (inside any of them, when there are several); a
// hide boundary (a void) takes out the triangles inside it.
enum class BoundaryKind : std::uint8_t { Outer, Hide };

// One plan polygon (easting, northing; elevation as the file gave it, or 0),
// closed from the last corner back to the first.
struct SurfaceBoundary {
    BoundaryKind kind = BoundaryKind::Outer;
    std::vector<Vec3> corners;
};

// Where the site's surface ends. The triangulation covers the points' convex
// hull; these take triangles away from it, so that every use of the surface
// sees the smaller surface.
struct SurfaceBoundaries {
    std::vector<SurfaceBoundary> polygons;
    // Triangles on the surface's edge with an edge longer than this go, again
    // and again, as long as no point is left without a triangle; 0: none.
    double maxEdgeLength = 0.0;

    bool any() const { return !polygons.empty() || maxEdgeLength > 0.0; }
    int polygonCount() const { return static_cast<int>(polygons.size()); }
};

}  // namespace vellacor
