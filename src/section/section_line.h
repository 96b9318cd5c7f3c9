#pragma once
#include <optional>
#include <string>
#include <vector>

#include "model/surface_view.h"
#include "model/survey_point.h"

namespace vellacor {

// A plan coordinate of a section end that has not been picked yet.
inline constexpr double kUnsetSectionEnd = -999999.0;

// The cross section being drawn: the start A and the end B in plan (easting,
// northing). A Ctrl + double-click on the ground sets A, the next one B; the
// section is then written and dropped.
struct SectionLine {
    bool complete = false;  // B has been picked
    double startX = kUnsetSectionEnd;
    double endX = kUnsetSectionEnd;
    double startY = kUnsetSectionEnd;
    double endY = kUnsetSectionEnd;

    bool hasStart() const;
    bool hasEnd() const;
};

// One pick on the ground point under the cursor (none: nothing happens). The
// first pick sets A; the next sets B and marks the section complete, and
// only then does this return true: the caller writes the section and drops it.
bool pickSectionPoint(SectionLine& section, const std::optional<Vec3>& ground);

// Spacing of the profile grid and of the station ticks for a site of this
// size: 10, 20, ... up to 600, then hundreds, then thousands.
double sectionGridInterval(double siteSize);
// Text height of the section drawing: a tenth of the grid interval.
double sectionTextHeight(double siteSize);

// The station of a distance along the section: hundreds, "+", the whole
// units below a hundred in two digits: 0 -> 0+00, 250 -> 2+50, 1005 -> 10+05.
std::string stationText(double distance);

// The plan line (ax, ay) -> (bx, by) laid on the linked surface; points off
// the surface carry the elevation kOutsideSurface.
std::vector<Vec3> drapeSection(const SurfaceView& surface, double ax, double ay, double bx, double by);

// The on-surface runs of a draped line, each of at least two points.
std::vector<std::vector<Vec3>> onSurfaceRuns(const std::vector<Vec3>& draped);

}  // namespace vellacor
