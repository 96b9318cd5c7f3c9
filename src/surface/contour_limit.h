#pragma once
#include <vector>

#include "model/contour_settings.h"
#include "model/limit_polygon.h"
#include "model/survey_point.h"

namespace vellacor {

// The parts of segment from -> to inside the polygon in plan (even-odd rule),
// appended to `out` as consecutive point pairs, in order from `from`; the
// elevation is interpolated along the segment. A polygon of fewer than three
// vertices holds nothing. With n vertices and k crossings: O(n (k + 1)),
// one inside test per stretch between crossings.
void clipToPolygon(const LimitPolygon& polygon, const Vec3& from, const Vec3& to, std::vector<Vec3>& out);

// True when (x, y) lies inside the polygon by the even-odd (crossing-number) rule.
bool insidePolygon(const LimitPolygon& polygon, double x, double y);

// The parts of the contour piece from -> to that are drawn and exported under
// the model's contourLimitMode, appended to `out` as consecutive point pairs.
// Mode 1: the piece itself. Mode 3: the parts inside the limit polygon, and
// nothing at all while there is no polygon.
void limitContourPiece(const ContourSettings& settings, const Vec3& from, const Vec3& to, std::vector<Vec3>& out);

// True when mode 3 is on without a polygon: no contour is drawn or exported.
bool contoursLimitedAway(const ContourSettings& settings);

}  // namespace vellacor
