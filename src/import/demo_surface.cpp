#include "import/demo_surface.h"

#include <cmath>
#include <numbers>

namespace vellacor {

namespace {

double rippleElevation(double u, double v, double phase) {
    const double r = std::sqrt(u * u + v * v);
    return 50.0 * std::sin(3.0 * r + phase) / (r + 0.8);
}

}  // namespace

SurfaceReadResult makeDemoSurface() {
    SurfaceReadResult result;
    constexpr int n = kDemoSide;
    const double step = 2.0 * std::numbers::pi / n;
    result.points.resize(n * n);
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) {
            const double u = b * step - std::numbers::pi, v = a * step - std::numbers::pi;
            result.points[static_cast<std::size_t>(a + n * b)] =
                gridPoint(n * a + b + 1, 50.0 * v, 50.0 * u, rippleElevation(u, v, 0.0));
        }
    result.triangles.reserve(2 * (n - 1) * (n - 1));
    for (int a = 1; a < n; ++a)
        for (int b = 0; b + 1 < n; ++b) {
            const int k = a + n * b;
            result.triangles.push_back(triangleOf(k - 1, k, k + n - 1));
            result.triangles.push_back(triangleOf(k, k + n, k + n - 1));
        }
    result.trianglesMade = true;
    return result;
}

void animateDemoSurface(std::span<SurveyPoint> points, double phase) {
    const auto n = static_cast<std::size_t>(std::sqrt(static_cast<double>(points.size())));
    if (n == 0) return;
    const double step = 2.0 * std::numbers::pi / static_cast<double>(n);
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = 0; b < n; ++b) {
            const double u = static_cast<double>(b) * step - std::numbers::pi;
            const double v = static_cast<double>(a) * step - std::numbers::pi;
            points[a + n * b].elevation = rippleElevation(u, v, phase);
        }
}

}  // namespace vellacor
