#pragma once

namespace vellacor {

struct SiteModel;

// Runs on the user-interface thread right after a complete set of neighbour
// links has been taken over (contourStage.done has just been set). The camera
// places its tracked ground point on the new surface here.
void onSurfaceLinked(SiteModel& model);

}  // namespace vellacor
