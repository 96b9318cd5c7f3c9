#pragma once
#include "app/frame_cycle.h"

namespace vellacor {

struct SiteModel;
class Ui;

// Turns the view about the target as a left drag would, a degree at a time,
// so that a step which would take the eye under the ground is refused as the
// drag refuses it. Positive heading turns counter-clockwise seen from above;
// positive pitch raises the eye.
void orbitAsDragged(SiteModel& model, double headingDegrees, double pitchDegrees);

// A left-button orbit of `frames` frames, a degree of heading each, drawn as
// the window draws them while the button is held (every frame a whole
// rebuild, the contours unsmoothed while the view moves), then the frame the
// window draws once the button is let go, in full quality. `picture` holds
// that last frame.
void paintOrbitDrag(SiteModel& model, Ui& ui, int width, int height, int frames, RgbImage& picture);

// One frame of that orbit while the button is held: the camera turned a
// degree and the frame drawn. The button must be down (beginOrbitDrag).
void paintOrbitFrame(SiteModel& model, Ui& ui, int width, int height, RgbImage& picture);
void beginOrbitDrag(SiteModel& model);
void endOrbitDrag(SiteModel& model);

}  // namespace vellacor
