#pragma once
#include <optional>

#include "render/palette.h"
#include "render/surface_mode.h"

namespace vellacor {

// What the view shows: the layer switches, the surface mode and the settings
// that change the picture but not the document.
struct DisplaySwitches {
    bool showPoints = false;
    bool showTriangles = false;
    SurfaceMode surfaceMode = SurfaceMode::Flat;
    bool showContours = false;
    bool showBreaklines = false;
    bool showRain = false;
    bool showPonds = false;
    bool showDwfOverlay = false;
    bool showDxfOverlay = true;
    bool showPointNumbers = false;
    bool showPointDescriptions = false;
    bool showPointElevations = false;
    bool showGrid = false;
    bool showNormals = false;
    bool showRipples = false;
    std::optional<SurfaceMode> rememberedSurfaceMode;  // key 3's memory, once per run
    SurfaceMode savedSurfaceMode = SurfaceMode::Flat;  // the mode before the rainbow palette
    PaletteChoice paletteIndex = PaletteChoice::Grey;
    double verticalScale = 1.0;
    double gradeBreakAngle = 0.0;  // degrees; 0 = not asked yet
};

}  // namespace vellacor
