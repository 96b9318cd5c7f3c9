#include "app/growing_draw_pacing.h"

#include <algorithm>

namespace vellacor {

bool growingDrawOutlastsBuild(const GrowingDrawRecord& last, double progress,
                              std::chrono::steady_clock::time_point now) {
    if (!(last.seconds > 0.0)) return false;
    if (progress >= 1.0) return true;  // the mesh is whole: the surface follows in a moment
    if (!(last.progress > 0.0) || !(progress > last.progress)) return false;
    const double elapsed = std::chrono::duration<double>(now - last.at).count();
    if (!(elapsed > 0.0)) return false;
    const double remaining = (1.0 - progress) * elapsed / (progress - last.progress);
    const double drawing = last.seconds * std::max(1.0, progress / last.progress);
    return drawing > remaining;
}

}  // namespace vellacor
