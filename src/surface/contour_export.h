#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/contour_settings.h"
#include "model/site_document.h"
#include "model/surface_view.h"
#include "model/survey_point.h"

namespace vellacor {

// One joined contour line as the writers receive it.
struct ExportPolyline {
    double level = 0;
    bool major = false;
    std::vector<Vec3> points;  // easting, northing, elevation
};

// Traces every level from firstLevel(minElevation, contourInterval) up to
// maxElevation and joins each level's pieces into polylines, level by level,
// smoothed by `smoothing` (0: straight) and limited by contourLimitMode.
std::vector<ExportPolyline> traceContours(const SurfaceView& surface, const ContourSettings& settings, double smoothing,
                                          double minElevation, double maxElevation);

// More crossings of triangles by levels than this are not a contour map (a
// blunder thousands of kilometres high, or coordinates in error by as much,
// would have the export trace, hold and write billions of segments). A real
// site at a fine interval has a few million; each crossing may become seven
// smoothed points.
inline constexpr std::int64_t kMostContourCrossings = 8'000'000;

// How many of `levels` (one interval apart, from the lowest) the export
// traces: the lowest ones whose crossings stay within kMostContourCrossings.
// O(triangles + levels).
std::size_t contourLevelsWithinReason(const SurfaceView& surface, const std::vector<double>& levels, double interval);

// The document's contours as the writers save them: nothing before the
// surface is built, smoothed only once its neighbour links are done.
std::vector<ExportPolyline> traceContoursForExport(const SiteDocument& document);

}  // namespace vellacor
