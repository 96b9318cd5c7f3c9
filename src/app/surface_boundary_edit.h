#pragma once

#include "model/surface_boundaries.h"

namespace vellacor {

struct SiteModel;

// Whether the finished surface can take a new boundary now: built, its
// breaklines in and the links made.
bool canAddSurfaceBoundary(const SiteModel& model);

// Adds a boundary to the site and cuts the surface to it: the link stage runs
// again and takes the triangles away; what was worked out from the old
// triangles (shading, ponds, rain, drawing caches) is made again. Triangles
// already gone stay gone. False, and nothing changes, when the surface cannot
// take one now or the polygon has fewer than three corners.
bool addSurfaceBoundary(SiteModel& model, SurfaceBoundary boundary);

// The contour limit polygon as an outer boundary of the surface.
bool makeLimitPolygonBoundary(SiteModel& model);

}  // namespace vellacor
