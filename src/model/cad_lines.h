#pragma once
#include <cstdint>
#include <vector>

#include "model/survey_point.h"

namespace vellacor {

// One piece of CAD line work: its palette colour and its vertices (x easting,
// y northing, z elevation). A DXF drawing's point entities come as colour 6
// (two equal vertices), its lines, polylines, arcs and circles as colour 16;
// a DWF drawing's entries take their colour from the drawing.
struct CadLine {
    std::uint8_t colour = 16;
    std::vector<Vec3> vertices;
};

// The plan view a DWF drawing is shown in while it waits for alignment: the
// drawing position at the centre of the view and drawing units per pixel.
struct FlatOverlayView {
    double offsetX = 0.0;
    double offsetY = 0.0;
    double scale = 1.0;
};

inline constexpr std::uint8_t kCadPointColour = 6;
inline constexpr std::uint8_t kCadLineColour = 16;

}  // namespace vellacor
