#pragma once

namespace vellacor {

struct SiteModel;

// Key P: the next of the five palettes. Entering the rainbow palette switches
// the surface to elevation colouring (mode 7) and remembers the mode it had;
// leaving it (back to palette 0) restores that mode.
void cyclePalette(SiteModel& model);

// Key F: flat shading.
void setFlatShading(SiteModel& model);
// Key G: smooth shading (the pipeline asks for the grade-break angle when needed).
void setSmoothShading(SiteModel& model);
// Menu "Smooth Shading": flat becomes smooth, anything else flat.
void toggleSmoothShading(SiteModel& model);

}  // namespace vellacor
