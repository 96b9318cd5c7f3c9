#include "cli/cli_progress.h"

#include <algorithm>
#include <cmath>

namespace vellacor {

namespace {

constexpr int kTicks = 40;  // 2.5 % each

std::string ticksBetween(int after, int upTo) {
    std::string text;
    for (int tick = after + 1; tick <= upTo; ++tick)
        text += tick % 4 == 0 ? std::to_string(tick * 10 / 4) : std::string(".");
    return text;
}

}  // namespace

std::string ProgressTicks::advance(double fraction, double seconds) {
    if (!shown_) return {};
    // NaN counts as nothing done.
    const double clamped = fraction > 0.0 ? std::min(fraction, 1.0) : 0.0;
    reached_ = std::max(reached_, static_cast<int>(std::floor(clamped * kTicks)));
    if (printed_ < 0 && seconds < kProgressShownAfterSeconds) return {};
    // 100 is printed by finish, with " - done."
    const int upTo = std::min(reached_, kTicks - 1);
    if (upTo <= printed_) return {};
    std::string text = ticksBetween(printed_, upTo);
    printed_ = upTo;
    return text;
}

std::string ProgressTicks::finish() {
    if (printed_ < 0) {
        reached_ = 0;
        return {};
    }
    std::string text = ticksBetween(printed_, kTicks) + " - done.\n";
    printed_ = -1;
    reached_ = 0;
    return text;
}

}  // namespace vellacor
