#include "surface/plan_clipping.h"

#include <cstddef>

#include "surface/predicates.h"

namespace vellacor {

namespace {

// Sutherland-Hodgman against one half-plane given by a side value per corner
// (>= 0 inside). Only an edge whose ends lie strictly on opposite sides gets a
// new corner, so a corner on the boundary is never duplicated or moved.
template <typename Side, typename Cut>
void clipBySide(const std::vector<PlanCorner>& polygon, Side side, Cut cut, std::vector<PlanCorner>& out) {
    out.clear();
    const std::size_t n = polygon.size();
    if (n == 0) return;
    const PlanCorner* previous = &polygon[n - 1];
    double previousSide = side(*previous);
    for (std::size_t i = 0; i < n; ++i) {
        const PlanCorner& current = polygon[i];
        const double currentSide = side(current);
        if ((previousSide > 0 && currentSide < 0) || (previousSide < 0 && currentSide > 0))
            out.push_back(cut(*previous, current, previousSide / (previousSide - currentSide)));
        if (currentSide >= 0) out.push_back(current);
        previous = &current;
        previousSide = currentSide;
    }
}

}  // namespace

void clipToLeftOf(const std::vector<PlanCorner>& polygon, double px, double py, double qx, double qy,
                  std::vector<PlanCorner>& out) {
    clipBySide(
        polygon, [&](const PlanCorner& c) { return orient2d(px, py, qx, qy, c.x, c.y); },
        [](const PlanCorner& a, const PlanCorner& b, double t) {
            return PlanCorner{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.d + t * (b.d - a.d)};
        },
        out);
}

void clipToSign(const std::vector<PlanCorner>& polygon, int sign, std::vector<PlanCorner>& out) {
    const double s = sign > 0 ? 1.0 : -1.0;
    clipBySide(
        polygon, [&](const PlanCorner& c) { return s * c.d; },
        [](const PlanCorner& a, const PlanCorner& b, double t) {
            return PlanCorner{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), 0.0};
        },
        out);
}

PlanIntegral integrateLinear(const std::vector<PlanCorner>& polygon) {
    PlanIntegral result;
    if (polygon.size() < 3) return result;
    const PlanCorner& o = polygon[0];
    for (std::size_t i = 1; i + 1 < polygon.size(); ++i) {
        const PlanCorner& b = polygon[i];
        const PlanCorner& c = polygon[i + 1];
        const double area = 0.5 * ((b.x - o.x) * (c.y - o.y) - (b.y - o.y) * (c.x - o.x));
        result.area += area;
        result.integral += area * (o.d + b.d + c.d) / 3.0;
    }
    return result;
}

}  // namespace vellacor
