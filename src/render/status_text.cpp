#include "render/status_text.h"

#include <cmath>
#include <cstdio>
#include <locale>
#include <sstream>

#include "app/site_model.h"

namespace vellacor {

namespace {

// printf-style formatting that never follows the process locale.
std::string formatC(const char* format, double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    const std::string f(format);
    if (f == "%.1f" || f == "%.2f") {
        out.setf(std::ios::fixed);
        out.precision(f == "%.1f" ? 1 : 2);
    } else {
        out.precision(15);  // %.15g
    }
    out << value;
    return out.str();
}

}  // namespace

std::optional<std::string> frameRateText(double frameSeconds) {
    if (!(frameSeconds > 0.047619047619047616)) return std::nullopt;
    return "fps: " + formatC("%.1f", 1.0 / frameSeconds);
}

std::string formatInterval(double interval) {
    double whole;
    const double fraction = std::modf(interval, &whole);
    if (std::fabs(fraction) < 0.001) return std::to_string(static_cast<long long>(whole));
    return formatC("%.15g", interval);
}

std::optional<std::string> progressMessage(const SiteModel& model) {
    const bool triangulated = model.document.triangulateStage.done;
    if (!triangulated && model.document.triangulateStage.running) return "Building Surface";
    if (triangulated && !model.document.contourStage.done && model.document.contourStage.running) return "Topology";
    if (!model.document.shadingStage.done && model.document.shadingStage.running) return "Smooth Shading";
    if (model.document.contourStage.done && (model.document.dwfOverlayStage.running || model.document.dxfOverlayStage.running))
        return "CAD Overlay";
    if (triangulated && !model.document.breaklines.ready()) {
        const std::string total = std::to_string(model.document.breaklines.count());
        std::string index = std::to_string(model.document.breaklinesInserted);
        if (index.size() < total.size()) index.insert(0, total.size() - index.size(), ' ');
        return "Adding Breaklines: " + index;
    }
    return std::nullopt;
}

std::vector<std::string> statusLines(const SiteModel& model) {
    std::vector<std::string> lines;
    lines.push_back(std::to_string(model.document.pointCount) + " Points");
    if (model.document.triangleCount != 0) lines.push_back(std::to_string(model.document.triangleCount) + " Triangles");
    if (model.display.showContours) {
        lines.push_back("Contour Interval = " + formatInterval(model.document.contours.contourInterval));
        const int smoothing = static_cast<int>(model.document.contours.contourSmoothing * 100);
        if (smoothing > 0) lines.push_back("Contour Smoothing = " + std::to_string(smoothing) + "%");
    }
    if (model.display.showBreaklines && model.document.breaklines.count() > 0) {
        const int n = model.document.breaklines.count();
        lines.push_back(std::to_string(n) + (n > 1 ? " Breaklines" : " Breakline"));
    }
    // Rain particles and ponds join here when the water simulation lands.
    if (model.display.verticalScale != 1.0) lines.push_back("Vertical Scale = " + formatC("%.2f", model.display.verticalScale));
    return lines;
}

}  // namespace vellacor
