#pragma once
#include "platform/ui.h"

namespace vellacor {

struct SiteModel;

inline constexpr const char* kNoSurfaceToSave =
    "No surface to save!\n\nThe contours and the surface are made from a surface of three points or more, "
    "and the site has none. Nothing was saved.";

// Waits, showing the stage's progress, until the surface is finished, running
// the background stages that make it (the flat surface is turned on when
// nothing shown asks for one). False when the user gives up waiting, or with
// kNoSurfaceToSave when no surface can be made.
bool waitForSurfaceToSave(SiteModel& model, Ui& ui);

}  // namespace vellacor
