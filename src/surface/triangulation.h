#pragma once
#include "surface/surface_work.h"

namespace vellacor {

struct SiteModel;
class Ui;

// Starts the triangulation worker (the pipeline has set triangulateStage.running).
// Frees the old triangles; does nothing more when the points need no
// triangulation (then the stage ends at once without a surface).
void startTriangulation(SiteModel& model, Ui& ui);

// Starts the neighbour-link worker, shown as "Topology" (contourStage; the
// pipeline has set its `running`). The worker reads the model's triangle array:
// nothing may change the triangles' vertices, or reallocate the array, while it
// runs — call stopSurfaceWorkers first.
void startTopology(SiteModel& model);

// On the user-interface thread, once per frame: takes over what a finished
// worker produced and applies its effects on the rest of the model (showPoints,
// dropped duplicates, the links, onSurfaceLinked). A worker whose stage was
// cancelled (its `running` cleared) leaves nothing behind.
void adoptFinishedSurfaceWork(SiteModel& model, Ui& ui);

// Cancels both surface workers and waits for them, for code that is about to
// change points or triangles. Their results are dropped at the next adoption.
void stopSurfaceWorkers(SiteModel& model);

// Copies the mesh the triangulation worker published last into `into` when it
// is newer than what `into` holds; true when `into` changed. Every call also
// asks the worker to publish again (it does so at most every ~100 ms).
bool copyGrowingMesh(const SiteModel& model, GrowingMesh& into);

}  // namespace vellacor
