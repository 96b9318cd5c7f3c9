#pragma once
#include "model/survey_point.h"

namespace vellacor {

// Where the light is: at the eye, circling the site, or left where it was.
enum class LightMode { Headlamp = 0, Circling = 1, Stationary = 2 };

// Headlamp -> circling -> stationary -> headlamp.
constexpr LightMode nextLightMode(LightMode m) {
    switch (m) {
        case LightMode::Headlamp: return LightMode::Circling;
        case LightMode::Circling: return LightMode::Stationary;
        case LightMode::Stationary: return LightMode::Headlamp;
    }
    return LightMode::Headlamp;
}

// The one light of the scene, in scene coordinates (x easting, y northing, z elevation).
struct Light {
    Vec3 position;
    LightMode lightMode = LightMode::Headlamp;
    double angle = 0.0;             // where the circling light is on its circle, radians
    bool lightGlowVisible = false;  // draw the glow where the light is
};

// What the light's motion depends on.
struct LightSurroundings {
    Vec3 eye;
    Vec3 siteCentre;
    double siteSize = 1.0;
    double verticalScale = 1.0;
    double frameSeconds = 0.0;  // how long the last frame took
};

// Once per paint before the frame is drawn: the headlamp follows the eye, the
// circling light goes round the site. True when the light moved in a way that
// needs the scene redrawn (the circling light, every frame).
bool moveLight(Light& light, const LightSurroundings& around);

}  // namespace vellacor
