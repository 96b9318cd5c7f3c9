#include "app/save_readiness.h"

#include <chrono>
#include <string>
#include <thread>

#include "app/breaklines.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/status_display.h"
#include "app/surface_finished.h"

namespace vellacor {

namespace {

bool surfaceWorkUnderWay(const SiteModel& model) {
    const SiteDocument& d = model.document;
    return d.triangulateStage.running || d.contourStage.running ||
           (d.triangulateStage.done && !d.breaklines.ready());
}

}  // namespace

bool waitForSurfaceToSave(SiteModel& model, Ui& ui) {
    if (surfaceFinished(model.document)) return true;
    if (!surfaceNeeded(model)) model.display.surfaceMode = SurfaceMode::Flat;
    const auto step = [&] {
        runPipeline(model, ui);
        insertBreaklinesStep(model);
    };
    bool gaveUp = false;
    for (;;) {
        step();
        if (surfaceFinished(model.document)) break;
        if (!surfaceWorkUnderWay(model)) {
            step();  // adopts the last result and may start the next stage
            if (surfaceFinished(model.document) || !surfaceWorkUnderWay(model)) break;
        }
        const std::string stage = progressMessage(model).value_or("Building Surface");
        if (!ui.showProgress(stage, model.document.progress.load())) {
            gaveUp = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ui.endProgress();
    if (surfaceFinished(model.document)) return true;
    if (!gaveUp) ui.message(kNoSurfaceToSave);
    return false;
}

}  // namespace vellacor
