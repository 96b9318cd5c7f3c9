#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vellacor {

// "fps: 20.0" when the last frame took longer than 1/21 s; nothing otherwise.
std::optional<std::string> frameRateText(double frameSeconds);

// What the count and setting lines of the top-left corner show.
struct StatusFacts {
    int pointCount = 0;
    int triangleCount = 0;
    bool showContours = false;
    double contourInterval = 0.0;
    double contourSmoothing = 0.0;  // 0..1
    bool showBreaklines = false;
    int breaklineCount = 0;
    double verticalScale = 1.0;
    std::optional<int> particleCount;  // while the rain falls
    std::optional<int> pondCount;      // while the ponds are shown
};

// The count and setting lines, in order; lines that do not apply are left
// out without a gap.
std::vector<std::string> statusLines(const StatusFacts& facts);

// "Adding Breaklines: N", N padded to the width of the total.
std::string breaklineProgressText(int inserted, int total);

// A contour interval as the status line shows it: whole numbers without
// decimals, anything else with up to 15 significant digits.
std::string formatInterval(double interval);

}  // namespace vellacor
