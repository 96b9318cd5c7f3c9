#pragma once
namespace vellacor {

struct SiteModel;
class Ui;

// Starts the triangulation worker (the pipeline has set triangulateStage.running).
void startTriangulation(SiteModel& model, Ui& ui);
// Starts the neighbour-link worker, shown as "Topology" (contourStage).
void startTopology(SiteModel& model);
// On the user-interface thread, once per frame: takes over what a finished
// worker produced and applies its effects on the rest of the model.
void adoptFinishedSurfaceWork(SiteModel& model);

}  // namespace vellacor
