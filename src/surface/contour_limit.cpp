#include "surface/contour_limit.h"


namespace vellacor {

namespace {

// The polygon's own clipping (crossings with its edges, even-odd inside test)
// belongs to the limit polygon; until it is there a polygon holds no area.
void clipToLimitPolygon(const LimitPolygon&, const Vec3&, const Vec3&, std::vector<Vec3>&) {}

}  // namespace

bool contoursLimitedAway(const ContourSettings& settings) {
    return settings.contourLimitMode == ContourLimitMode::InsidePolygon && !settings.limitPolygon;
}

void limitContourPiece(const ContourSettings& settings, const Vec3& from, const Vec3& to, std::vector<Vec3>& out) {
    if (settings.contourLimitMode != ContourLimitMode::InsidePolygon) {
        out.push_back(from);
        out.push_back(to);
        return;
    }
    if (settings.limitPolygon) clipToLimitPolygon(*settings.limitPolygon, from, to, out);
}

}  // namespace vellacor
