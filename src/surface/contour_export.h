#pragma once
#include <vector>

#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;

// One joined contour line as the writers receive it.
struct ExportPolyline {
    double level = 0;
    bool major = false;
    std::vector<Vec3> points;  // easting, northing, elevation
};

// Traces every level from firstLevel(minElevation, contourInterval) up to
// maxElevation and joins each level's pieces into polylines, level by level,
// honouring contourSmoothing and contourLimitMode.
std::vector<ExportPolyline> traceContoursForExport(const SiteModel& model);

}  // namespace vellacor
