#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/volume_job.h"
#include "surface/volumes.h"

namespace vellacor {

struct SiteModel;
class Ui;

inline constexpr const char* kSurfacesDoNotOverlap = "The surfaces do not overlap.";
inline constexpr const char* kNoSurfaceToCompare = "The points give no surface to compare.";

// The site's finished surface has triangles to compare.
bool hasComparableSurface(const SiteModel& model);

// Cut and fill of the site against the comparison document's surface, or
// against request.datum when `comparison` is null. Nothing when stopped.
std::optional<VolumeTotals> compareSiteVolumes(const SiteModel& site, const SiteModel* comparison,
                                               const VolumeRequest& request,
                                               const std::function<bool(double)>& carryOn = {});

// What a question asks of the surfaces, limited to `polygon` (plan corners;
// none: wherever both surfaces are).
VolumeRequest volumeRequestOf(const VolumeQuestion& question, std::vector<Vec3> polygon);

// Save Isopach's question: the difference's contours at the site's contour
// interval, against the datum when there is one, else the comparison surface.
VolumeQuestion isopachQuestionOf(const SiteModel& site, std::optional<double> datum);

// Totals that compared some plan area; otherwise the surfaces do not overlap
// (a stopped run, or one whose surfaces meet nowhere), which is told.
bool volumesCompared(Ui& ui, const std::optional<VolumeTotals>& totals);

// The volumes worked out at once on this thread, as the window's job works
// them out: the site's finished surface against the comparison's (or the
// question's datum when `comparison` is null), within `polygon`. Nothing
// when the surfaces do not overlap (told).
std::optional<VolumeTotals> workOutVolumes(const SiteModel& site, const SiteModel* comparison, Ui& ui,
                                           const VolumeQuestion& question, std::vector<Vec3> polygon);

// The figures both the command line and the Cut and Fill dialog give, six
// decimals, one a line: cut, fill, net (fill minus cut), cut-area,
// fill-area, area (the plan area compared).
std::string volumeFigures(const VolumeTotals& totals);

// The dialog's text: the figures, then the deepest cut, the highest fill and
// the site's plan area that was not compared.
std::string volumeReport(const VolumeTotals& totals);

}  // namespace vellacor
