#include "export/contour_labels.h"

#include <cmath>
#include <numbers>

namespace vellacor {

namespace {

constexpr double kSamePoint = 0.001;

bool isClosed(std::span<const Vec3> points) {
    const Vec3& a = points.front();
    const Vec3& b = points.back();
    return std::fabs(a.x - b.x) < kSamePoint && std::fabs(a.y - b.y) < kSamePoint && std::fabs(a.z - b.z) < kSamePoint;
}

ContourLabel labelOnSegment(const Vec3& a, const Vec3& b) {
    const double dE = b.x - a.x, dN = b.y - a.y;
    constexpr double kTurn = 2 * std::numbers::pi;
    double angle = std::atan2(dN, dE);
    if (angle < 0) angle += kTurn;
    if (dE < 0) angle += std::numbers::pi;  // read left to right
    if (angle >= kTurn) angle -= kTurn;     // the same direction, kept within one turn
    return {{(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2}, angle};
}

std::size_t longestSegment(std::span<const Vec3> points) {
    std::size_t best = 0;
    double bestLength = -1;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const double length = std::hypot(points[i + 1].x - points[i].x, points[i + 1].y - points[i].y);
        if (length > bestLength) bestLength = length, best = i;
    }
    return best;
}

}  // namespace

std::vector<ContourLabel> placeContourLabels(std::span<const Vec3> points) {
    if (points.size() < 2) return {};
    if (isClosed(points)) {
        const std::size_t i = longestSegment(points);
        return {labelOnSegment(points[i], points[i + 1])};
    }
    std::vector<ContourLabel> labels{labelOnSegment(points[0], points[1])};
    const std::size_t last = points.size() - 2;
    if (last > 0) labels.push_back(labelOnSegment(points[last], points[last + 1]));
    return labels;
}

}  // namespace vellacor
