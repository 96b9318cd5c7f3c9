#include "render/status_text.h"

#include <cmath>

#include "model/number_text.h"

namespace vellacor {

std::optional<std::string> frameRateText(double frameSeconds) {
    if (!(frameSeconds > 0.047619047619047616)) return std::nullopt;
    return "fps: " + fixedText(1.0 / frameSeconds, 1);
}

std::string formatInterval(double interval) {
    double whole;
    const double fraction = std::modf(interval, &whole);
    if (std::fabs(fraction) < 0.001) return std::to_string(static_cast<long long>(whole));
    return generalText(interval, 15);
}

std::string breaklineProgressText(int inserted, int total) {
    const std::string totalText = std::to_string(total);
    std::string index = std::to_string(inserted);
    if (index.size() < totalText.size()) index.insert(0, totalText.size() - index.size(), ' ');
    return "Adding Breaklines: " + index;
}

std::vector<std::string> statusLines(const StatusFacts& facts) {
    std::vector<std::string> lines;
    lines.push_back(std::to_string(facts.pointCount) + " Points");
    if (facts.triangleCount != 0) lines.push_back(std::to_string(facts.triangleCount) + " Triangles");
    if (facts.showContours) {
        lines.push_back("Contour Interval = " + formatInterval(facts.contourInterval));
        const int smoothing = static_cast<int>(facts.contourSmoothing * 100);
        if (smoothing > 0) lines.push_back("Contour Smoothing = " + std::to_string(smoothing) + "%");
    }
    if (facts.showBreaklines && facts.breaklineCount > 0) {
        const int n = facts.breaklineCount;
        lines.push_back(std::to_string(n) + (n > 1 ? " Breaklines" : " Breakline"));
    }
    if (facts.particleCount) lines.push_back(std::to_string(*facts.particleCount) + " Particles");
    if (facts.pondCount) lines.push_back(std::to_string(*facts.pondCount) + " Ponds");
    if (facts.verticalScale != 1.0) lines.push_back("Vertical Scale = " + fixedText(facts.verticalScale, 2));
    return lines;
}

}  // namespace vellacor
