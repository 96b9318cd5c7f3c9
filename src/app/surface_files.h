#pragma once
#include <array>
#include <span>
#include <string>
#include <vector>

#include "model/point_file_format.h"
#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;
class Ui;
struct SurfaceReadResult;

// The readers of files that bring their own surface or their own triangles:
// SRTM tiles, USGS profile text, raw triangle lists, the demonstration
// surface, LandXML and elevation rasters. Fills the document's points (and
// triangles, with the triangulation stage done); shows the reader's own
// messages. False when the format is not one of these.
bool loadSurfaceFile(SiteModel& model, Ui& ui, const std::string& path, PointFileFormat format);

// The document takes what such a reader made (as loadSurfaceFile does after
// reading), showing the reader's message.
void adoptSurfaceRead(SiteModel& model, Ui& ui, SurfaceReadResult&& read);

// A DXF drawing's 3DFACEs as the surface, over its survey points and the
// face corners (import/dxf_surface.h), with the drawing's line work shown
// over it. False when it brings no point.
bool openDrawnSurface(SiteModel& model, Ui& ui, std::vector<SurveyPoint> surveyPoints,
                      std::span<const std::array<Vec3, 3>> faces);

// One frame of the demonstration surface's ripples: new elevations, the
// triangles' planes again, and a redraw.
void stepDemoSurface(SiteModel& model);

}  // namespace vellacor
