#pragma once
#include <atomic>
#include <optional>

#include "model/background_job.h"
#include "surface/volumes.h"

namespace vellacor {

// The comparison the window runs: against the comparison surface, or
// against a level datum.
struct VolumeQuestion {
    std::optional<double> datum;  // none: against the comparison surface
    double isopachInterval = 0;   // > 0: the isopach is traced too
};

// What the window does with the totals once they are worked out.
enum class VolumeUse { Report, SaveIsopach };

// The cut and fill being worked out in the background. Its worker reads the
// site's surface (and the comparison's) in place: whatever changes either
// cancels it first.
struct VolumeJob {
    BackgroundJob<std::optional<VolumeTotals>> job;
    std::atomic<double> progress{0.0};
    VolumeQuestion question;
    VolumeUse use = VolumeUse::Report;
};

// Totals that came out of a finished job, with what they answer.
struct FinishedVolumes {
    VolumeQuestion question;
    VolumeUse use = VolumeUse::Report;
    VolumeTotals totals;
};

}  // namespace vellacor
