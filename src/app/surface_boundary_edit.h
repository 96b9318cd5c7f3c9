#pragma once

#include "model/surface_boundaries.h"

namespace vellacor {

struct SiteModel;
class Ui;

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

inline constexpr const char* kNoPolylineAroundSelection =
    "To use a CAD polyline as a Boundary: select a point inside a closed polyline of the DXF overlay first.";

// The smallest closed polyline of the DXF overlay (a line that ends at its
// first corner) around the selected point, as an outer boundary; the message
// above when there is no such polyline. Time: the overlay's vertices.
bool makeCadPolylineBoundary(SiteModel& model, Ui& ui);

}  // namespace vellacor
