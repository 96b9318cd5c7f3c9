#pragma once
#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;

enum LightMode : int { kHeadlamp = 0, kCircling = 1, kStationaryLight = 2 };

// The one light of the scene, in scene coordinates (x easting, y northing, z elevation).
struct Light {
    Vec3 position;
    int lightMode = kHeadlamp;
    double angle = 0.0;             // where the circling light is on its circle, radians
    bool lightGlowVisible = false;  // draw the glow where the light is
};

// Menu Light: "Headlamp", "Circling", "Stationary".
void setLightMode(SiteModel& model, int mode);
// Key L: headlamp -> circling -> stationary -> headlamp.
void cycleLightMode(SiteModel& model);

// Once per paint before the frame is drawn: the headlamp follows the eye, the
// circling light goes round the site (and so the scene is redrawn every frame).
void updateLight(SiteModel& model);

}  // namespace vellacor
