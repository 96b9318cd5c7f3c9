#pragma once
#include <span>
#include <vector>

#include "model/survey_point.h"

namespace vellacor {

// Where an elevation label sits on a contour: the anchor (centre of the text)
// and the rotation in radians.
struct ContourLabel {
    Vec3 anchor;
    double rotation = 0;
};

// An open contour is labelled on its first and its last segment (once when
// they are the same segment); a closed one on its longest segment, where the
// text has the most room. Labels sit at the middle of their segment and read
// along it, turned half a turn when the segment runs westward so that they
// are never upside down.
std::vector<ContourLabel> placeContourLabels(std::span<const Vec3> points);

}  // namespace vellacor
