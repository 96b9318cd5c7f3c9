#pragma once

namespace vellacor {

// What the view shows: the layer switches, the surface mode and the settings
// that change the picture but not the document.
struct DisplaySwitches {
    bool showPoints = false;
    bool showTriangles = false;
    int surfaceMode = 1;  // 0 off, 1 flat, 2 smooth, 3 grade break, 4 texture, ... 7 elevation
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
    int rememberedSurfaceMode = -1;  // key 3's memory, once per run; -1 = not yet used
    int savedSurfaceMode = 1;
    int paletteIndex = 0;
    double verticalScale = 1.0;
    double gradeBreakAngle = 0.0;  // degrees; 0 = not asked yet
};

}  // namespace vellacor
