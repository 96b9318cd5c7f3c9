#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vellacor {

struct SiteModel;

// "fps: 20.0" when the last frame took longer than 1/21 s; nothing otherwise.
std::optional<std::string> frameRateText(double frameSeconds);

// The one progress message of the background work in hand, if any:
// "Building Surface", "Topology", "Smooth Shading", "CAD Overlay" or
// "Adding Breaklines: N".
std::optional<std::string> progressMessage(const SiteModel& model);

// The count and setting lines of the top-left corner, in order; lines that
// do not apply are left out without a gap.
std::vector<std::string> statusLines(const SiteModel& model);

// A contour interval as the status line shows it: whole numbers without
// decimals, anything else with up to 15 significant digits.
std::string formatInterval(double interval);

}  // namespace vellacor
