#pragma once
#include <string>
#include <string_view>

#include "camera/picking.h"
#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;
class Ui;

// The change in elevation a wall point proposes: the number at the end of the
// selected point's description ("TW 2.5" gives 2.5), 0 when there is none.
double defaultWallChange(std::string_view description);

// A double-click on the view without Ctrl: selects the point under the
// cursor, deselects the selected point, adds a breakline from the selected
// point to another one, or a wall point towards the ground under the cursor.
void onPointDoubleClick(SiteModel& model, Ui& ui, Pixel at);

// A Shift + click on the ground over triangle t: the triangle's corner nearest
// to the ground point is picked as a double-click on that point would pick it.
void pickBreaklineCorner(SiteModel& model, Ui& ui, const Vec3& ground, int t);

// "Add Wall Point": a new point 0.1 from the selected one, towards the ground
// under the cursor (east when there is none), at the elevation the dialog
// changes by; it goes into the surface at once when it falls inside a triangle.
void addWallPoint(SiteModel& model, Ui& ui, Pixel at);

// "Edit Point" (key E): elevation, description and Use in Surface of the
// selected point. A change of Use in Surface builds the surface again.
void editSelectedPoint(SiteModel& model, Ui& ui);

// What OK in Edit Point does to point s, as the dialog and undo both use it.
void changePoint(SiteModel& model, int s, double elevation, const std::string& description, bool useInSurface);

// Appends `wall` as a point made from point s (its number given) and puts it
// into the surface as addWallPoint does; its index.
int placeWallPoint(SiteModel& model, int s, const SurveyPoint& wall);

// Takes the last point away with its breaklines; the surface is made again
// from the points that are left.
void removeLastPoint(SiteModel& model);

}  // namespace vellacor
