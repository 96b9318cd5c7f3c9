#pragma once
#include <span>
#include <string>

#include "model/cad_lines.h"
#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;
class Ui;

inline constexpr const char* kCadFileFilter = "CAD file (*.dwf; *.dxf)|*.dwf; *.dxf||";
inline constexpr const char* kAlignHint = "Double-click on two Survey Points to align CAD image";
inline constexpr const char* kNotASurveyPointMessage = "Not a valid Survey Point Number, try again";
inline constexpr const char* kSamePointTwiceMessage = "You must choose two DIFFERENT Survey Point Numbers, try again";

// Options > Overlay CAD File...: asks for a drawing; a ".dwf" file is read as
// the DWF overlay, anything else as a DXF overlay.
void openCadOverlay(SiteModel& model, Ui& ui);

// Reads the drawing at `path` as the overlay: DWF for a ".dwf" name, DXF
// otherwise. Returns the overlay's entry count.
std::size_t importCadOverlay(SiteModel& model, Ui& ui, const std::string& path);

// Reads a DWF drawing as the overlay to align: fitted over the site and
// shown flat in plan (the DXF overlay goes). False when nothing was read.
bool importDwf(SiteModel& model, Ui& ui, const std::string& path);

// A DWF drawing is shown and waits for its two alignment picks: the view
// shows it flat and the mouse pans and zooms it.
bool dwfAwaitsAlignment(const SiteModel& model);

// The mouse over the flat drawing: a drag moves it by (dx, -dy) pixels, a
// zoom of z scales it by 1% a step (positive z zooms out).
void panFlatOverlay(SiteModel& model, int dx, int dy);
void zoomFlatOverlay(SiteModel& model, int z);

// A double-click at view pixel (sx, sy) on the flat drawing: asks for the
// survey point there ("Aligning CAD image with Surface") and records the pick.
void alignmentDoubleClick(SiteModel& model, Ui& ui, int sx, int sy);

// Records one pick: the drawing position under (sx, sy) and the survey point
// numbered `pointNumber`. After the second pick on a different point the
// drawing is carried onto the survey and its drape starts.
void addAlignmentPick(SiteModel& model, Ui& ui, int sx, int sy, int viewWidth, int viewHeight, int pointNumber);

// The plan similarity that carries d1 onto p1 and d2 onto p2, applied to
// every vertex (z unchanged). d1 and d2 must differ.
void alignDrawing(std::span<CadLine> lines, const Vec3& d1, const Vec3& d2, const Vec3& p1, const Vec3& p2);

}  // namespace vellacor
