#include "surface/contour_limit.h"

#include "model/site_model.h"

namespace vellacor {

namespace {

constexpr int kInsidePolygonOnly = 3;

// The polygon's own clipping (crossings with its edges, even-odd inside test)
// belongs to the limit polygon; until it is there a polygon holds no area.
void clipToLimitPolygon(const LimitPolygon&, const Vec3&, const Vec3&, std::vector<Vec3>&) {}

}  // namespace

bool contoursLimitedAway(const SiteModel& model) {
    return model.contourLimitMode == kInsidePolygonOnly && !model.limitPolygon;
}

void limitContourPiece(const SiteModel& model, const Vec3& from, const Vec3& to, std::vector<Vec3>& out) {
    if (model.contourLimitMode != kInsidePolygonOnly) {
        out.push_back(from);
        out.push_back(to);
        return;
    }
    if (model.limitPolygon) clipToLimitPolygon(*model.limitPolygon, from, to, out);
}

}  // namespace vellacor
