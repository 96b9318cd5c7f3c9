#include "app/surface_finished.h"

#include "model/site_document.h"

namespace vellacor {

bool surfaceFinished(const SiteDocument& d) {
    // The link stage comes last and also cuts the surface at its boundaries.
    return d.triangulateStage.done && !d.triangulateStage.running && d.triangleCount > 0 && d.breaklines.ready() &&
           d.contourStage.done;
}

}  // namespace vellacor
