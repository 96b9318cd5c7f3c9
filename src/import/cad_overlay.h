#pragma once
#include <vector>

#include "model/cad_lines.h"
#include "model/survey_point.h"

namespace vellacor {

// One alignment pick: the survey point the user named and where the user
// double-clicked on the drawing.
struct AlignmentPick {
    int point = kNoPoint;
    double x = 0.0;
    double y = 0.0;
};

// A CAD drawing laid over the site: its line work as read, and the same lines
// draped onto the surface once the background worker has made them. A DWF
// drawing also carries its alignment with the survey.
struct CadOverlay {
    std::vector<CadLine> lines;
    std::vector<CadLine> draped;  // on the surface; gaps at kOutsideSurface elevations

    bool aligned = true;  // a DXF drawing is in survey coordinates from the start
    int alignmentPicks = 0;
    AlignmentPick picks[2];
    FlatOverlayView view;
};

}  // namespace vellacor
