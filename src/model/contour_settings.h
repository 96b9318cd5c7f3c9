#pragma once
#include <optional>

#include "model/limit_polygon.h"

namespace vellacor {

// Where contours are drawn and exported.
enum class ContourLimitMode {
    Everywhere = 1,     // over the whole surface
    InsidePolygon = 3,  // only inside the limit polygon; nothing while there is none
};

// The range of an interval typed in: the Contour Options dialog and the
// command line hold it to this.
inline constexpr double kSmallestTypedInterval = 0.01;
inline constexpr double kLargestTypedInterval = 999999999.0;

// The contour settings of the document.
struct ContourSettings {
    double contourInterval = 1.0;   // between levels, site units
    double contourSmoothing = 1.0;  // 1 = straight pieces
    ContourLimitMode contourLimitMode = ContourLimitMode::Everywhere;
    std::optional<LimitPolygon> limitPolygon;  // none until one is made
};

}  // namespace vellacor
