#pragma once
#include <chrono>

namespace vellacor::testing {

// A frame clock (SiteModel::cycle.now) whose every reading is `Microseconds`
// after the one before, so the time a frame's work seems to take is the
// number of readings it makes, the same on every machine.
template <int Microseconds>
std::chrono::steady_clock::time_point clockAdvancing() {
    static std::chrono::steady_clock::time_point now{};
    now += std::chrono::microseconds(Microseconds);
    return now;
}

}  // namespace vellacor::testing
