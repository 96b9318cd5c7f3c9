#pragma once
#include "platform/ui.h"

namespace vellacor {

struct SiteModel;

// Whether what Save As writes of a format and its ticked parts is made from
// the surface (contours, triangles, a DEM) rather than the point and
// breakline lists alone.
bool saveNeedsSurface(ExportFormat format, const SavingDialog& parts);

// The surface is finished: built, every breakline in, cut to its boundaries.
bool surfaceReadyToSave(const SiteModel& model);

inline constexpr const char* kNoSurfaceToSave =
    "No surface to save!\n\nThe contours and the surface are made from a surface of three points or more, "
    "and the site has none. Nothing was saved.";

// Waits, showing the stage's progress, until the surface is finished, running
// the background stages that make it (the flat surface is turned on when
// nothing shown asks for one). False when the user gives up waiting, or with
// kNoSurfaceToSave when no surface can be made.
bool waitForSurfaceToSave(SiteModel& model, Ui& ui);

}  // namespace vellacor
