#pragma once
#include <chrono>

namespace vellacor {

// The last time the view drew the growing surface of its own accord: when,
// how far the build had got (0..1), and how long the drawing took.
struct GrowingDrawRecord {
    std::chrono::steady_clock::time_point at;
    double progress = 0.0;
    double seconds = 0.0;
};

// Whether another drawing of the growing surface, started now with the build
// at `progress`, would likely still be running when the build finishes: at
// the rate the build has gone since the last drawing, against that drawing's
// time grown with the mesh. The finished surface would wait for it, and at
// ten million points a drawing of the nearly built mesh takes seconds. With
// no drawing yet, or none that found the build under way, there is nothing
// to go by and the drawing goes ahead.
bool growingDrawOutlastsBuild(const GrowingDrawRecord& last, double progress,
                              std::chrono::steady_clock::time_point now);

}  // namespace vellacor
