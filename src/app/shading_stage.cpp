#include "app/shading_stage.h"

#include "app/site_model.h"
#include "render/vertex_normals.h"

namespace vellacor {

void startShadingWorker(SiteModel& model) {
    StageTriple& stage = model.document.shadingStage;
    VertexNormalInput input = vertexNormalInput(surfaceOf(model.document), model.display.gradeBreakAngle);
    stage.done = false;
    model.document.progress = 0.0;
    stage.running = true;
    model.work.shading.start(model.document.progress,
                             [input = std::move(input)](ShadingResult& result, const JobControl& control) mutable {
                                 result.input = std::move(input);
                                 return computeVertexNormals(result.input, result.normals, control);
                             });
}

void adoptShadingResult(SiteModel& model) {
    std::optional<JobOutcome<ShadingResult>> outcome = model.work.shading.adopt();
    if (!outcome) return;
    StageTriple& stage = model.document.shadingStage;
    stage.running = false;
    stage.enabled = true;
    if (outcome->complete && surfaceUnchanged(surfaceOf(model.document), outcome->result.input)) {
        setVertexNormals(model.renderer, outcome->result.normals);
        stage.done = true;
        model.renderer.redrawNeeded = true;
    }
}

}  // namespace vellacor
