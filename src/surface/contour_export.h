#pragma once
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

// The document's contours as the writers save them: nothing before the
// surface is built, smoothed only once its neighbour links are done.
std::vector<ExportPolyline> traceContoursForExport(const SiteDocument& document);

}  // namespace vellacor
