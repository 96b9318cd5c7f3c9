#pragma once
#include <optional>
#include <string>
#include <vector>

#include "surface/volumes.h"

namespace vellacor {

struct SiteModel;
class Ui;

// The comparison the window runs: against the comparison surface, or
// against a level datum.
struct VolumeQuestion {
    std::optional<double> datum;  // none: against the comparison surface
    double isopachInterval = 0;   // > 0: the isopach is traced too
};

// What the site's volumes are limited to: the contour limit polygon while
// contours are limited to it (plan corners), none otherwise.
std::vector<Vec3> volumeLimitOf(const SiteModel& model);

// The totals for the question, limited as volumeLimitOf says; nothing (the
// reason said) when the site or the comparison has no finished surface or
// they do not overlap. Remembers a datum for the cut/fill view, or forgets
// it when comparing with the surface.
std::optional<VolumeTotals> runVolumes(SiteModel& model, Ui& ui, const VolumeQuestion& question);

// The Cut and Fill dialog's text: what was compared with what, whether it
// was limited to the polygon, then volumeReport's lines (the command line's
// figures first).
std::string volumeDialogText(const SiteModel& model, const std::string& siteName, const VolumeQuestion& question,
                             const VolumeTotals& totals);

// Writes the dialog's text to a file, replacing it only once it is whole.
bool saveVolumeReportTo(Ui& ui, const std::string& text, const std::string& path);

// The isopach as the contours of a DXF drawing, as Save As writes contours;
// says why when it cannot be written. The command line's --isopach and
// Volumes > Save Isopach both write with it.
bool saveIsopachTo(const SiteModel& site, Ui& ui, const std::vector<ExportPolyline>& isopach, const std::string& path);

}  // namespace vellacor
