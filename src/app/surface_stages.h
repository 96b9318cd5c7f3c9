#pragma once
#include "model/site_document.h"
#include "model/surface_view.h"

namespace vellacor {

struct SiteModel;
class Ui;

// Starts the triangulation worker (the pipeline has set triangulateStage.running).
// Frees the old triangles; does nothing more when the points need no
// triangulation (then the stage ends at once without a surface).
void startTriangulation(SiteModel& model, Ui& ui);

// Starts the neighbour-link worker, shown as "Topology" (contourStage; the
// pipeline has set its `running`). The worker reads the document's triangle
// array: nothing may change the triangles' vertices, or reallocate the array,
// while it runs — call stopSurfaceWorkers first.
void startTopology(SiteModel& model);

// On the user-interface thread, once per frame: takes over what a finished
// worker produced and applies its effects on the rest of the program
// (showPoints, dropped duplicates, the links, the orbit target onto the
// linked surface). A worker whose stage was cancelled (its `running`
// cleared) leaves nothing behind.
void adoptFinishedSurfaceWork(SiteModel& model, Ui& ui);

// Cancels both surface workers, the volumes and the cut/fill difference and
// waits for them, for code that is about to change points or triangles.
void stopSurfaceWorkers(SiteModel& model);

// What was derived from the triangles is no longer theirs: the workers stop,
// the stages are undone (the triangulation too: callers that keep the
// triangles mark it done again), and the links, shading, selection and water go.
void dropSurfaceResults(SiteModel& model);

// The triangles keep their corners but the heights changed (an edited
// elevation, the moving demonstration surface): the kept contour lines and
// the rain's faces are made again from the new slopes.
void forgetReshapedSurface(SiteModel& model);

// Esc: clears the stage's `running` and asks its worker to stop; what it
// leaves is dropped at the next adoption.
void cancelStage(SiteModel& model, StageId stage);

// The document's surface with the hull edges of its links, when they belong to it.
SurfaceView linkedSurfaceOf(const SiteModel& model);

}  // namespace vellacor
