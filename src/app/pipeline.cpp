#include "app/pipeline.h"

#include <chrono>
#include <new>
#include <thread>

#include "app/breaklines.h"
#include "app/detail_stage.h"
#include "app/limit_polygon_edit.h"
#include "app/overlay_stages.h"
#include "app/shading_stage.h"
#include "app/site_model.h"
#include "app/status_display.h"
#include "app/view_settings.h"
#include "app/water.h"
#include "platform/ui.h"
#include "app/surface_stages.h"
#include "surface/detail_levels.h"

namespace vellacor {

bool surfaceNeeded(const SiteModel& model) {
    return model.display.showTriangles || model.display.surfaceMode != SurfaceMode::Off || model.display.showNormals || model.display.showRain || model.display.showPonds ||
           model.display.showContours ||
           (model.display.showDwfOverlay && model.overlays.dwfOverlay && model.overlays.dwfOverlay->aligned);
}

namespace {

void startTriangulationStage(SiteModel& model, Ui& ui) {
    const StageTriple& t = model.document.triangulateStage;
    if (!t.enabled || t.running || t.done || model.document.pointCount < 3 || !surfaceNeeded(model)) return;
    model.document.contourStage.running = false;
    model.document.shadingStage.running = false;
    model.work.shading.requestCancel();  // its result would be for the old surface
    forgetSurfaceCaches(model.renderer);
    if (!model.document.contourStage.enabled || !model.document.shadingStage.enabled) return;
    model.water.rainSystem.reset();
    model.water.ponds.reset();
    model.document.triangulateStage.running = true;
    startTriangulation(model, ui);
}

void startDerivedStages(SiteModel& model) {
    // Grids are linked as every surface is: sections, ponds, volumes and
    // boundaries work on the links.
    if (model.document.triangleCount <= 0 || !model.document.triangulateStage.done || !model.document.breaklines.ready())
        return;
    if (!model.document.contourStage.done) {
        if (model.document.contourStage.enabled && !model.document.contourStage.running) {
            model.document.contourStage.running = true;
            startTopology(model);
        }
    } else {
        startOverlayStages(model);
    }
    makeLimitPolygonWhenReady(model);
}

void startShadingStage(SiteModel& model, Ui& ui) {
    if (model.document.shadingStage.done || !model.document.triangulateStage.done || !model.document.breaklines.ready())
        return;
    if (!needsVertexNormals(model.display.surfaceMode)) return;
    if (!model.document.shadingStage.enabled || model.document.shadingStage.running) return;
    if (model.display.gradeBreakAngle == 0.0) {
        SmoothShadingDialog dialog;
        dialog.angle = kDefaultGradeBreakAngle;
        // OK with no angle (0 or an empty field) is taken as Cancel: left as it
        // is, the next frame would ask again, and so on for ever.
        if (!ui.run(dialog) || !(dialog.angle != 0.0)) {
            model.display.surfaceMode = SurfaceMode::Flat;
            model.display.gradeBreakAngle = 0.0;
            return;
        }
        model.display.gradeBreakAngle = dialog.angle;
    }
    if (model.display.gradeBreakAngle != 0.0) startShadingWorker(model);
}

// The light is made on the first paint and then moves once per paint.
void stepLight(SiteModel& model, Ui& ui) {
    if (!model.renderer.light) {
        try {
            model.renderer.light = std::make_unique<Light>();
        } catch (const std::bad_alloc&) {
            fatalError(ui, "Unable to create Light!");
        }
    }
    updateLight(model);
}

// How far a run to the finished surface has got, 0 to 1: its stages weighted
// by what they usually take. A stage made again (after a breakline) may take
// the figure back a little; whoever shows it keeps the furthest.
double runFraction(const SiteModel& model) {
    const SiteDocument& d = model.document;
    const double working = d.progress.load();
    auto share = [&](const StageTriple& stage) { return stage.done ? 1.0 : stage.running ? working : 0.0; };
    double weight = 4.0 + 2.0, done = 4.0 * share(d.triangulateStage) + 2.0 * share(d.contourStage);
    if (!d.breaklines.empty()) {
        weight += 2.0;
        done += 2.0 * (d.breaklines.ready() ? 1.0 : static_cast<double>(d.breaklinesInserted) / d.breaklines.count());
    }
    if (needsVertexNormals(model.display.surfaceMode)) {
        weight += 1.0;
        done += share(d.shadingStage);
    }
    return done / weight;
}

}  // namespace

void runPipeline(SiteModel& model, Ui& ui, bool pictureFirst) {
    const bool builtBefore = model.document.triangulateStage.done;
    adoptFinishedSurfaceWork(model, ui);
    adoptShadingResult(model);
    adoptOverlayDraping(model);
    adoptDetailLevels(model);
    startTriangulationStage(model, ui);
    // The first picture of 100 million points takes seconds on both cores;
    // the links' worker beside it would hold it back, so the window shows the
    // surface first and starts the stages after it a frame later.
    const bool justBuilt = !builtBefore && model.document.triangulateStage.done;
    if (!(pictureFirst && justBuilt && model.document.triangleCount >= kDetailLevelsFrom)) startDerivedStages(model);
    startShadingStage(model, ui);
    startDetailLevels(model);
    stepLight(model, ui);
    startWaterSystems(model, ui);
}

void runPipelineToCompletion(SiteModel& model, Ui& ui) {
    auto anyRunning = [&] {
        for (int s = 0; s < kStageCount; ++s)
            if (stageOf(model.document, static_cast<StageId>(s)).running) return true;
        // Breaklines waiting for a finished surface hold back the stages after it.
        return model.document.triangulateStage.done && !model.document.breaklines.ready();
    };
    auto step = [&] {
        runPipeline(model, ui);
        insertAllBreaklines(model);  // no frame waits to be drawn
    };
    for (;;) {
        step();
        if (!anyRunning()) {
            // One more step adopts the last result and may start the next stage.
            step();
            if (!anyRunning()) break;
        }
        ui.showProgress(progressMessage(model).value_or(""), runFraction(model));
        // Only background workers are left to wait for.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ui.endProgress();
}

void buildSurfaceToCompletion(SiteModel& model, Ui& ui) {
    if (!surfaceNeeded(model)) model.display.surfaceMode = SurfaceMode::Flat;
    runPipelineToCompletion(model, ui);
}

}  // namespace vellacor
