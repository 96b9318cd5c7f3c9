#pragma once
#include <vector>

#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;

// The parts of the contour piece from -> to that are drawn and exported under
// the model's contourLimitMode, appended to `out` as consecutive point pairs.
// Mode 1: the piece itself. Mode 3: the parts inside the limit polygon, and
// nothing at all while there is no polygon.
void limitContourPiece(const SiteModel& model, const Vec3& from, const Vec3& to, std::vector<Vec3>& out);

// True when mode 3 is on without a polygon: no contour is drawn or exported.
bool contoursLimitedAway(const SiteModel& model);

}  // namespace vellacor
