#include "app/comparison_surface.h"

#include "app/breaklines.h"
#include "app/document.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/site_open.h"
#include "app/status_display.h"
#include "app/volume_report.h"

namespace vellacor {

ComparisonState::ComparisonState() = default;
ComparisonState::~ComparisonState() = default;

bool openComparisonSurface(SiteModel& model, Ui& ui, const std::string& path,
                           const std::optional<std::string>& format) {
    auto surface = std::make_unique<SiteModel>();
    SiteRequest request;
    request.path = path;
    request.format = format;
    if (openSite(*surface, ui, request) != OpenResult::Loaded) return false;
    // Its pipeline builds what a shown flat surface needs: the triangles and their links.
    surface->display.surfaceMode = SurfaceMode::Flat;
    surface->display.showPoints = false;
    ComparisonState& c = model.comparison;
    // Their workers may read the old comparison.
    if (!model.work.volumes.question.datum) model.work.volumes.job.cancel();
    model.work.cutFillDifference.cancel();
    c.surface = std::move(surface);  // the old comparison's workers are joined here
    c.name = displayName(path);
    c.surfaceWasReady = false;
    c.datum.reset();
    forgetCutFillDifference(model);
    return true;
}

void stepComparisonSurface(SiteModel& model, Ui& ui) {
    ComparisonState& c = model.comparison;
    if (!c.surface || !c.surface->document.documentLoaded) return;
    runPipeline(*c.surface, ui);
    insertBreaklinesStep(*c.surface);
    const bool ready = comparisonSurfaceReady(model);
    if (ready != c.surfaceWasReady) {
        c.surfaceWasReady = ready;
        forgetCutFillDifference(model);
    }
}

bool comparisonSurfaceReady(const SiteModel& model) {
    const ComparisonState& c = model.comparison;
    return c.surface && hasComparableSurface(*c.surface) && c.surface->document.breaklines.ready();
}

bool comparisonSurfaceBuilding(const SiteModel& model) {
    const ComparisonState& c = model.comparison;
    return c.surface && !comparisonSurfaceReady(model) && progressMessage(*c.surface).has_value();
}

std::optional<std::string> comparisonProgressMessage(const SiteModel& model) {
    if (!comparisonSurfaceBuilding(model)) return std::nullopt;
    return "Comparison: " + *progressMessage(*model.comparison.surface);
}

double comparisonProgress(const SiteModel& model) {
    return model.comparison.surface ? model.comparison.surface->document.progress.load() : 0.0;
}

void cancelComparisonBuild(SiteModel& model) {
    ComparisonState& c = model.comparison;
    if (!c.surface || comparisonSurfaceReady(model)) return;
    c.surface.reset();  // stops and joins its workers
    c.name.clear();
    c.surfaceWasReady = false;
    forgetCutFillDifference(model);
}

void forgetCutFillDifference(SiteModel& model) {
    model.work.cutFillDifference.cancel();  // it works for the old comparison
    model.renderer.cutFill = {};
    model.renderer.redrawNeeded = true;
}

}  // namespace vellacor
