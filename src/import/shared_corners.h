#pragma once
#include <vector>

#include "import/point_matcher.h"
#include "model/survey_point.h"

namespace vellacor {

// Points shared by position among the corners of triangles that a file gives
// by position: a corner that coincides with a point already there (each
// coordinate within 0.001) is that point, the latest such; any other corner
// becomes a new point, numbered by its index. O(1) expected a corner.
class SharedCorners {
public:
    // The points already there (a drawing's survey points) are the first to share.
    explicit SharedCorners(std::vector<SurveyPoint>& points);

    // The index of the point at a corner (usable coordinates).
    int pointAt(const Vec3& corner);

private:
    std::vector<SurveyPoint>& points_;
    PointMatcher matcher_;
};

}  // namespace vellacor
