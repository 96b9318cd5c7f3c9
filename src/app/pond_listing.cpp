#include "app/pond_listing.h"

#include "app/site_model.h"
#include "app/surface_stages.h"
#include "water/pond_report.h"

namespace vellacor {

std::string pondListingOf(const SiteModel& model) {
    const SurfaceView surface = linkedSurfaceOf(model);
    return pondReport(surface, fillPondsToSpill(surface));
}

}  // namespace vellacor
