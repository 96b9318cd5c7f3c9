#pragma once
#include <span>
#include <string>
#include <string_view>

#include "model/survey_point.h"

namespace vellacor {

// Entity builders shared by the site drawing and the cross-section drawing.
// Each appends the entity's text to `out`. DXF x is easting, y northing,
// z elevation.

void dxfLine(std::string& out, std::string_view layer, double x1, double y1, double z1, double x2, double y2,
             double z2);

// Where a TEXT entity's alignment point lies on its text: the codes of
// groups 72 (along the text) and 73 (across it).
enum class DxfAlignAlong { Left = 0, Centre = 1, Right = 2 };
enum class DxfAlignAcross { Baseline = 0, Bottom = 1, Middle = 2, Top = 3 };

// `rotation` is in radians; the file carries degrees.
void dxfText(std::string& out, std::string_view text, double x, double y, double z, double height, double rotation,
             double oblique, std::string_view style, std::string_view layer, DxfAlignAlong along,
             DxfAlignAcross across);

// POLYLINE at `elevation`, one VERTEX per point, then SEQEND.
void dxfPolyline(std::string& out, std::span<const Vec3> points, std::string_view layer, double elevation);

// One 3DFACE on layer SURFACE; the fourth corner repeats the third.
void dxf3dFace(std::string& out, const Vec3& a, const Vec3& b, const Vec3& c);

// Label spacing that suits the size of the site (also the grid spacing of the
// view and of cross sections): 10, 20, ... up to 600, then hundreds, then thousands.
double gridSpacing(double siteSize);

// One survey point as an INSERT of the block POINT with its elevation,
// number and description attributes, labels sized and offset by `spacing`.
void dxfPointInsert(std::string& out, const SurveyPoint& point, double spacing);

}  // namespace vellacor
