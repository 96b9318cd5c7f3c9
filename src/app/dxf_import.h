#pragma once
#include <string>
#include <vector>

#include "model/cad_lines.h"
#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;
class Ui;

inline constexpr const char* kUseCadLinesQuestion = "Use CAD lines as Breaklines?";
inline constexpr const char* kNoUsableDxfDataMessage = "No usable data was found in DXF file!";

// Reads a DXF drawing. As an overlay: its line work becomes the DXF overlay,
// draped on the surface by the pipeline. As the document: its points (or,
// without any, the vertices of its lines) become the site's points, its line
// work the DXF overlay, and the user is asked whether the lines are to be
// breaklines. False only when a document gets no point at all.
bool importDxf(SiteModel& model, Ui& ui, const std::string& path, bool asOverlay);

// Replaces the site's points with `points` (the DXF overlay stays): each used
// in the surface when it has an elevation, extents, marks, the next number,
// a fresh picture and the camera as after a load.
void storeImportedPoints(SiteModel& model, Ui& ui, std::vector<SurveyPoint> points);

// Points made from every vertex of every line, in order: numbered from 0,
// described "contour".
std::vector<SurveyPoint> pointsFromContours(const std::vector<CadLine>& lines);

}  // namespace vellacor
