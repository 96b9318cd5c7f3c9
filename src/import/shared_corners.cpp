#include "import/shared_corners.h"

#include "import/surface_read.h"

namespace vellacor {

SharedCorners::SharedCorners(std::vector<SurveyPoint>& points) : points_(points) {
    for (std::size_t i = 0; i < points_.size(); ++i)
        matcher_.add(static_cast<int>(i), {points_[i].easting, points_[i].northing, points_[i].elevation});
}

int SharedCorners::pointAt(const Vec3& corner) {
    int index = matcher_.latest(corner);
    if (index >= 0) return index;
    index = static_cast<int>(points_.size());
    points_.push_back(gridPoint(index, corner.x, corner.y, corner.z));
    matcher_.add(index, corner);
    return index;
}

}  // namespace vellacor
