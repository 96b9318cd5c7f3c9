#pragma once
#include <array>

#include "model/surface_view.h"

namespace vellacor {

// The part of a triangle under water standing at `level`: a plan polygon of
// up to four corners (x, y and the ground's elevation), with its plan area
// and the volume of water over it.
struct WetPart {
    std::array<Vec3, 4> corners{};
    int count = 0;
    double area = 0.0;
    double volume = 0.0;
};

WetPart wetPartOf(const SurfaceView& surface, int triangle, double level);

}  // namespace vellacor
