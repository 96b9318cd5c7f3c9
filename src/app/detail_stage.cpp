#include "app/detail_stage.h"

#include "app/site_model.h"
#include "surface/detail_levels.h"

namespace vellacor {

namespace {

bool detailWanted(const SiteModel& model) {
    const SiteDocument& d = model.document;
    return d.triangleCount >= kDetailLevelsFrom && d.triangulateStage.done && d.contourStage.done &&
           d.breaklines.ready() && !model.renderer.detailMade;
}

// Every change to the points or triangles stops the surface workers, this one among them, first.
void startWorker(BackgroundJob<DetailSurface>& job, std::atomic<double>& progress, const SurfaceView& surface) {
    job.start(progress, [surface](DetailSurface& result, const JobControl& control) {
        return buildDetailSurface(surface, result, control);
    });
}

}  // namespace

void startDetailLevels(SiteModel& model) {
    // Only for a view that is drawn: the command-line tools that draw nothing need none.
    if (!model.renderer.frame.hasBuffers()) return;
    const SiteDocument& d = model.document;
    BackgroundJob<DetailSurface>& job = model.work.detailLevels;
    if (!detailWanted(model) || job.active()) return;
    startWorker(job, model.work.detailProgress, surfaceOf(d));
}

void adoptDetailLevels(SiteModel& model) {
    std::optional<JobOutcome<DetailSurface>> outcome = model.work.detailLevels.adopt();
    if (!outcome || !outcome->complete) return;
    const bool current = outcome->result.madeFrom(surfaceOf(model.document));
    if (!current && !outcome->result.levels.empty()) return;  // made for a surface since replaced
    model.renderer.detailMade = true;
    if (current)
        model.renderer.detail = std::make_shared<const DetailSurface>(std::move(outcome->result));
}

void finishDetailLevels(SiteModel& model) {
    if (!detailWanted(model)) return;
    if (!model.work.detailLevels.active())
        startWorker(model.work.detailLevels, model.work.detailProgress, surfaceOf(model.document));
    model.work.detailLevels.wait();
    adoptDetailLevels(model);
}

}  // namespace vellacor
