#include "surface/triangulation.h"

#include "model/site_model.h"

namespace vellacor {

// Not built yet: the stage ends at once without a surface.
void startTriangulation(SiteModel& model, Ui&) {
    model.triangleCount = 0;
    model.triangulateStage.running = false;
}

void startTopology(SiteModel& model) { model.contourStage.running = false; }

void adoptFinishedSurfaceWork(SiteModel&) {}

}  // namespace vellacor
