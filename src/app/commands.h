#pragma once
#include <string>

#include "camera/camera.h"
#include "render/light.h"

namespace vellacor {

struct SiteModel;
class Ui;

// The operations behind the keys, the menu items and the toolbar buttons,
// which the command table (command_table.h) ties to them. A key and a menu
// item that do the same thing call the same function here.
// Each sets redrawNeeded unless its comment says otherwise.

// Layer switches.
void togglePoints(SiteModel& model);
void toggleTriangles(SiteModel& model);
void toggleContours(SiteModel& model);
void toggleBreaklines(SiteModel& model);
// Surface on and off: off remembers nothing; on restores the mode the surface
// had the first time this was used (flat shading when that was "off").
void toggleSurface(SiteModel& model);
void togglePointNumbers(SiteModel& model);
// Key F3 also shows the points when the descriptions come on; the menu does not.
void togglePointDescriptions(SiteModel& model, bool alsoShowPoints);
void togglePointElevations(SiteModel& model);
void toggleGrid(SiteModel& model);
void toggleNormals(SiteModel& model);
void toggleLightGlow(SiteModel& model);
// No redraw: the ripples move on their own.
void toggleRipples(SiteModel& model);

// Water. None of these asks for a redraw: the rain and ponds draw every frame.
// Does nothing for triangle files ("RAW"), whose surface the rain cannot run on.
void toggleRain(SiteModel& model);
// Turning the ponds off deletes them.
void togglePonds(SiteModel& model);
// New random numbers from the clock, and the rain starts again.
void restartRain(SiteModel& model);

// DXF and DWF drawings over the site.
void toggleCadOverlays(SiteModel& model);

// Surface modes (flat and smooth shading are in view_settings.h).
// Key R: the texture by the vertex normals; without a loaded picture the
// generated radial pattern, in the active palette's shades.
void setNormalTextureMode(SiteModel& model);
// Key T: the swirling texture; asks for the picture first when there is no texture.
void setSwirlTextureMode(SiteModel& model, Ui& ui);
// Key I: asks for a picture and makes it the surface texture; the mode stays.
void loadSurfaceTexture(SiteModel& model, Ui& ui);
// Makes the picture at `path` the surface texture, its colours the texture
// palette. False (the old texture kept) when it cannot be used.
bool useTexturePicture(SiteModel& model, Ui& ui, const std::string& path);

// Vertical scale: x1.1 and x0.9 within [0.1, 10.0], and back to 1.0.
void increaseVerticalScale(SiteModel& model);
void decreaseVerticalScale(SiteModel& model);
void resetVerticalScale(SiteModel& model);

// Contours: the interval halves down to 0.125 or doubles up to 500, and either
// shows the contours; the smoothing steps by 0.1 within [0, 1].
void halveContourInterval(SiteModel& model);
void doubleContourInterval(SiteModel& model);
void increaseContourSmoothing(SiteModel& model);
void decreaseContourSmoothing(SiteModel& model);
// The Contour Options dialog: the interval and whether contours stay inside the limit polygon.
void showContourOptions(SiteModel& model, Ui& ui);

// The camera.
void toggleFreelook(SiteModel& model);
void setCameraMode(SiteModel& model, CameraMode mode);

// Breaklines and points.
void undoLastBreakline(SiteModel& model);

// Esc: stops the background work and falls back to what is finished.
void cancelWork(SiteModel& model);

// The help window. No redraw.
void showHelp(Ui& ui);
std::string helpText();

}  // namespace vellacor
