#pragma once
#include <optional>

#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;

// A pixel of the frame buffer, x to the right, y down.
struct Pixel {
    int x = 0;
    int y = 0;
};

// The survey point drawn nearest the pixel, when it lies within a square of
// +-7 pixels around it; kNoPoint otherwise. Uses the points' camera-space
// positions of the last scene rebuild.
int pickNearestPoint(const SiteModel& model, Pixel cursor);

// The scene point behind the pixel at the depth drawn there (surface, lines,
// points: anything drawn), or nothing when the pixel shows background.
std::optional<Vec3> pickGroundPoint(const SiteModel& model, Pixel cursor);

}  // namespace vellacor
