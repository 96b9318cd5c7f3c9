#pragma once
#include <string>
#include <vector>

#include "model/surface_view.h"

namespace vellacor {

// A closed depression once its water has risen to where it spills.
struct StandingPond {
    int lowPoint = kNoPoint;  // index of the point it started from
    double lowElevation = 0.0;
    double spillElevation = 0.0;
    double area = 0.0;    // plan area under water
    double volume = 0.0;  // water over the ground
};

// The surface filled: every closed depression to the level where its water
// runs off, depressions whose water meets at a level as one pond; the ponds
// that hold water, deepest first (the depth from the lowest point under water).
std::vector<StandingPond> fillPondsToSpill(const SurfaceView& surface);

// "pond LOWPOINT LOWELEV SPILLELEV AREA VOLUME" per pond (the low point's
// number), then "ponds: N".
std::string pondReport(const SurfaceView& surface, const std::vector<StandingPond>& ponds);

}  // namespace vellacor
