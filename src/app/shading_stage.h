#pragma once

namespace vellacor {

struct SiteModel;

// The grade-break angle smooth shading starts from: the Smooth Shading
// dialog offers it, and the command line, which asks nothing, takes it. Not
// 0, which means "not asked yet" and is refused as an answer.
inline constexpr double kDefaultGradeBreakAngle = 45.0;

// User-interface thread: copies the surface and starts the shading worker on
// it (clears the stage's `done`, sets `running`).
void startShadingWorker(SiteModel& model);

// User-interface thread, every frame before drawing: once the worker has
// ended, clears the stage's `running`; when its result is complete and the
// surface is as it was copied, keeps the vertex normals for drawing and
// marks the stage done.
void adoptShadingResult(SiteModel& model);

}  // namespace vellacor
