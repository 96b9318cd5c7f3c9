#include "surface/contour_limit.h"

#include "app/site_model.h"

namespace vellacor {

namespace {

// The polygon's own clipping (crossings with its edges, even-odd inside test)
// belongs to the limit polygon; until it is there a polygon holds no area.
void clipToLimitPolygon(const LimitPolygon&, const Vec3&, const Vec3&, std::vector<Vec3>&) {}

}  // namespace

bool contoursLimitedAway(const SiteModel& model) {
    return model.document.contours.contourLimitMode == ContourLimitMode::InsidePolygon && !model.document.contours.limitPolygon;
}

void limitContourPiece(const SiteModel& model, const Vec3& from, const Vec3& to, std::vector<Vec3>& out) {
    if (model.document.contours.contourLimitMode != ContourLimitMode::InsidePolygon) {
        out.push_back(from);
        out.push_back(to);
        return;
    }
    if (model.document.contours.limitPolygon) clipToLimitPolygon(*model.document.contours.limitPolygon, from, to, out);
}

}  // namespace vellacor
