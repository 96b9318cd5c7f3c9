#include "surface/point_location.h"

namespace vellacor {

double heightInTriangle(const PlanTin& tin, int t, double x, double y) {
    const PlanTin::Point &a = tin.corner(t, 0), &b = tin.corner(t, 1), &c = tin.corner(t, 2);
    const double wa = orient2d(b.x, b.y, c.x, c.y, x, y);
    const double wb = orient2d(c.x, c.y, a.x, a.y, x, y);
    const double wc = orient2d(a.x, a.y, b.x, b.y, x, y);
    return a.z + (wb * (b.z - a.z) + wc * (c.z - a.z)) / (wa + wb + wc);
}

}  // namespace vellacor
