#pragma once
#include <string>

#include "app/site_model.h"
#include "render/rgb_image.h"

namespace vellacor {

struct SiteModel;
class Ui;

// One frame of the view, the program's main loop body: the background
// pipeline, the camera, the scene, the status overlay, and the finished
// colour picture in `picture` (clientWidth x clientHeight). Without a
// document it shows the start picture ("logo.bmp" in `programFolder`).
void paintFrame(SiteModel& model, Ui& ui, int clientWidth, int clientHeight, RgbImage& picture);

// Seconds since a clock reading.
double elapsedSince(Clock::time_point stamp);

}  // namespace vellacor
