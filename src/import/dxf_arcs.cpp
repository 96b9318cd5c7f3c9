#include "import/dxf_arcs.h"

#include <cmath>

namespace vellacor {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr int kSegmentsPerTurn = 50;
constexpr double kFlatBulge = 1e-9;  // below this a bulge is a straight segment
}  // namespace

void appendBulgedSegment(std::vector<Vec3>& out, Vec3 a, Vec3 b, double bulge, ArcBudget& budget) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double chord = std::hypot(dx, dy);
    const double angle = 4.0 * std::atan(bulge);  // signed, within (-2 pi, 2 pi)
    const int pieces = static_cast<int>(std::ceil(std::fabs(angle) / kTwoPi * kSegmentsPerTurn));
    if (std::fabs(bulge) < kFlatBulge || chord == 0.0 || pieces < 2 ||
        budget.vertices < static_cast<std::size_t>(pieces)) {
        out.push_back(b);
        return;
    }
    // The centre lies on the chord's left normal, at this signed distance from its middle.
    const double h = 0.5 * chord / std::tan(0.5 * angle);
    const double cx = 0.5 * (a.x + b.x) - dy / chord * h;
    const double cy = 0.5 * (a.y + b.y) + dx / chord * h;
    const double radius = std::hypot(a.x - cx, a.y - cy);
    // A bulge near a whole turn over a short chord asks for a circle of no
    // usable size: its chord is drawn instead.
    if (!(radius <= kLargestCoordinate)) {
        out.push_back(b);
        return;
    }
    budget.vertices -= static_cast<std::size_t>(pieces);
    const double start = std::atan2(a.y - cy, a.x - cx);
    for (int i = 1; i < pieces; ++i) {
        const double t = static_cast<double>(i) / pieces;
        const double theta = start + angle * t;
        out.push_back({cx + radius * std::cos(theta), cy + radius * std::sin(theta), a.z + (b.z - a.z) * t});
    }
    out.push_back(b);
}

std::vector<Vec3> circleVertices(double cx, double cy, double radius, double z) {
    std::vector<Vec3> v;
    v.reserve(kSegmentsPerTurn);
    for (int k = 0; k < kSegmentsPerTurn; ++k) {
        const double theta = k * kTwoPi / (kSegmentsPerTurn - 1);
        v.push_back({cx + radius * std::cos(theta), cy + radius * std::sin(theta), z});
    }
    v.back() = v.front();  // exactly closed, whatever the rounding of the last angle
    return v;
}

}  // namespace vellacor
