#pragma once
#include <functional>
#include <optional>
#include <string>

#include "surface/volumes.h"

namespace vellacor {

struct SiteModel;

inline constexpr const char* kSurfacesDoNotOverlap = "The surfaces do not overlap.";
inline constexpr const char* kNoSurfaceToCompare = "The points give no surface to compare.";

// The site's finished surface has triangles to compare.
bool hasComparableSurface(const SiteModel& model);

// Cut and fill of the site against the comparison document's surface, or
// against request.datum when `comparison` is null. Nothing when stopped.
std::optional<VolumeTotals> compareSiteVolumes(const SiteModel& site, const SiteModel* comparison,
                                               const VolumeRequest& request,
                                               const std::function<bool(double)>& carryOn = {});

// The figures both the command line and the Cut and Fill dialog give, six
// decimals, one a line: cut, fill, net (fill minus cut), cut-area,
// fill-area, area (the plan area compared).
std::string volumeFigures(const VolumeTotals& totals);

// The dialog's text: the figures, then the deepest cut, the highest fill and
// the site's plan area that was not compared.
std::string volumeReport(const VolumeTotals& totals);

}  // namespace vellacor
