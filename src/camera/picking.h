#pragma once
#include <optional>
#include <span>

#include "camera/camera.h"
#include "camera/matrix.h"
#include "camera/projection.h"
#include "model/survey_point.h"

namespace vellacor {

// A pixel of the frame buffer, x to the right, y down.
struct Pixel {
    int x = 0;
    int y = 0;
};

// The survey point drawn nearest the pixel, when it lies within a square of
// +-7 pixels around it; kNoPoint otherwise, and before the first frame. The
// points are placed through `view`, the view of the last scene rebuild; the
// first pointCount of `points` are valid.
int pickNearestPoint(std::span<const SurveyPoint> points, int pointCount, const Matrix& view,
                     const ScreenDepth& screen, Pixel cursor);

// The scene point behind the pixel at the depth drawn there (surface, lines,
// points: anything drawn), or nothing when the pixel shows background. `view`
// is the camera's scene-to-camera matrix the frame was drawn with.
std::optional<Vec3> pickGroundPoint(const ScreenDepth& screen, const Matrix& view, Pixel cursor);

// The size of the axis marker drawn at the camera target, and how near the
// target a press must land to grab it: a fifteenth of the eye's distance, at
// most 4 % of the site.
double axisRadius(const Camera& camera, double siteSize);

// The ground picked under the cursor lies within axisRadius of the target.
bool isNearAxis(const std::optional<Vec3>& ground, const Camera& camera, double siteSize);

}  // namespace vellacor
