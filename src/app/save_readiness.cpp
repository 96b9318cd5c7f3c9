#include "app/save_readiness.h"

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "app/breaklines.h"
#include "app/gis_save.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/status_display.h"

namespace vellacor {

bool saveNeedsSurface(ExportFormat format, const SavingDialog& parts) {
    const ExportParts ticked{parts.points, parts.contours, parts.breaklines, parts.surface};
    if (const std::optional<GisFormat> gis = gisFormatOf(format)) {
        if (*gis == GisFormat::GeoTiff) return true;
        if (*gis != GisFormat::GeoPackage) {  // one layer: the first ticked
            const GisLayer layer = gisOptionsForParts(*gis, ticked).layer;
            return layer == GisLayer::Contours || layer == GisLayer::Tin;
        }
    }
    return parts.contours || parts.surface;
}

bool surfaceReadyToSave(const SiteModel& model) {
    const SiteDocument& d = model.document;
    // The link stage also cuts the surface at its boundaries, so a save waits for it.
    return d.triangulateStage.done && !d.triangulateStage.running && d.triangleCount > 0 && d.breaklines.ready() &&
           d.contourStage.done;
}

namespace {

bool surfaceWorkUnderWay(const SiteModel& model) {
    const SiteDocument& d = model.document;
    return d.triangulateStage.running || d.contourStage.running ||
           (d.triangulateStage.done && !d.breaklines.ready());
}

}  // namespace

bool waitForSurfaceToSave(SiteModel& model, Ui& ui) {
    if (surfaceReadyToSave(model)) return true;
    if (!surfaceNeeded(model)) model.display.surfaceMode = SurfaceMode::Flat;
    const auto step = [&] {
        runPipeline(model, ui);
        insertBreaklinesStep(model);
    };
    bool gaveUp = false;
    for (;;) {
        step();
        if (surfaceReadyToSave(model)) break;
        if (!surfaceWorkUnderWay(model)) {
            step();  // adopts the last result and may start the next stage
            if (surfaceReadyToSave(model) || !surfaceWorkUnderWay(model)) break;
        }
        const std::string stage = progressMessage(model).value_or("Building Surface");
        if (!ui.showProgress(stage, model.document.progress.load())) {
            gaveUp = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ui.endProgress();
    if (surfaceReadyToSave(model)) return true;
    if (!gaveUp) ui.message(kNoSurfaceToSave);
    return false;
}

}  // namespace vellacor
