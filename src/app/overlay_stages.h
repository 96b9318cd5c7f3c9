#pragma once

namespace vellacor {

struct SiteModel;

// The pipeline's overlay step, once the surface and its neighbour links are
// done and the breaklines are in: drapes the DXF overlay, or the DWF overlay
// when it is shown and aligned, on a worker of its own.
void startOverlayStages(SiteModel& model);

// Every frame: a finished drape made on the current surface becomes the
// overlay's draped lines and its stage is done. A drape belongs to one linked
// surface: while the links are being made again it is stale, its worker is
// stopped and the stage waits to run again.
void adoptOverlayDraping(SiteModel& model);

}  // namespace vellacor
