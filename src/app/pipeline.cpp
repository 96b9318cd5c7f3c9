#include "app/pipeline.h"

#include <chrono>
#include <new>
#include <thread>

#include "model/site_model.h"
#include "platform/ui.h"
#include "render/light.h"
#include "render/vertex_normals.h"
#include "surface/triangulation.h"

namespace vellacor {

bool surfaceNeeded(const SiteModel& model) {
    return model.showTriangles || model.surfaceMode != 0 || model.showNormals || model.showRain || model.showPonds ||
           model.showContours;
}

namespace {

bool isGridTag(const std::string& tag) { return tag == "USGS_DEM" || tag == "HGT"; }

void startTriangulationStage(SiteModel& model, Ui& ui) {
    const StageTriple& t = model.triangulateStage;
    if (!t.enabled || t.running || t.done || model.pointCount < 3 || !surfaceNeeded(model)) return;
    model.contourStage.running = false;
    model.shadingStage.running = false;
    if (!model.contourStage.enabled || !model.shadingStage.enabled) return;
    model.rainSystem.reset();
    model.ponds.reset();
    model.triangulateStage.running = true;
    startTriangulation(model, ui);
}

void startDerivedStages(SiteModel& model) {
    if (isGridTag(model.pointFileFormat) || model.triangleCount <= 0 || !model.triangulateStage.done ||
        !model.breaklines.ready())
        return;
    if (!model.contourStage.done) {
        if (model.contourStage.enabled && !model.contourStage.running) {
            model.contourStage.running = true;
            startTopology(model);
        }
    }
    // Overlay draping and the contour limit polygon join here when they land.
}

void startShadingStage(SiteModel& model, Ui& ui) {
    if (model.shadingStage.done || !model.triangulateStage.done) return;
    if (model.surfaceMode != 2 && model.surfaceMode != 3) return;
    if (!model.shadingStage.enabled || model.shadingStage.running) return;
    if (model.gradeBreakAngle == 0.0) {
        SmoothShadingDialog dialog;
        if (!ui.run(dialog)) {
            model.surfaceMode = 1;
            model.gradeBreakAngle = 0.0;
            return;
        }
        model.gradeBreakAngle = dialog.angle;
    }
    if (model.gradeBreakAngle != 0.0) startShadingWorker(model);
}

// The light is made on the first paint and then moves once per paint.
void stepLight(SiteModel& model, Ui& ui) {
    if (!model.light) {
        try {
            model.light = std::make_unique<Light>();
        } catch (const std::bad_alloc&) {
            fatalError(ui, "Unable to create Light!");
        }
    }
    updateLight(model);
}

}  // namespace

void runPipeline(SiteModel& model, Ui& ui) {
    adoptFinishedSurfaceWork(model, ui);
    adoptShadingResult(model);
    startTriangulationStage(model, ui);
    startDerivedStages(model);
    startShadingStage(model, ui);
    stepLight(model, ui);
}

void runPipelineToCompletion(SiteModel& model, Ui& ui) {
    auto anyRunning = [&] {
        for (int s = 0; s < kStageCount; ++s)
            if (stageOf(model, static_cast<StageId>(s)).running) return true;
        return false;
    };
    for (;;) {
        runPipeline(model, ui);
        if (!anyRunning()) {
            // One more step adopts the last result and may start the next stage.
            runPipeline(model, ui);
            if (!anyRunning()) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace vellacor
