#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/volume_job.h"
#include "surface/volumes.h"

namespace vellacor {

struct SiteModel;
class Ui;

// What the site's volumes are limited to: the contour limit polygon while
// contours are limited to it (plan corners), none otherwise.
std::vector<Vec3> volumeLimitOf(const SiteModel& model);

// Starts working out the totals for the question in the background, limited
// as volumeLimitOf says (an earlier run is dropped); says why and starts
// nothing when the site or the comparison has no finished surface. True when
// it was started.
bool startVolumes(SiteModel& model, Ui& ui, const VolumeQuestion& question, VolumeUse use);

// Once per frame: the totals of a job that has finished, handed over once.
// Nothing while it runs, after it was cancelled, or when the surfaces do not
// overlap (that said). Remembers a datum for the cut/fill view, or forgets it
// when comparing with the surface.
std::optional<FinishedVolumes> adoptFinishedVolumes(SiteModel& model, Ui& ui);

// Esc, an edit of the surfaces, another site or comparison: the job stops and
// nothing is shown.
void cancelVolumes(SiteModel& model);

// "Computing Volumes" while the job runs, and how far it has got.
std::optional<std::string> volumeProgressMessage(const SiteModel& model);
double volumeProgress(const SiteModel& model);

// The Cut and Fill dialog's text: what was compared with what, whether it
// was limited to the polygon, then volumeReport's lines (the command line's
// figures first).
std::string volumeDialogText(const SiteModel& model, const std::string& siteName, const VolumeQuestion& question,
                             const VolumeTotals& totals);

// Writes the dialog's text to a file, replacing it only once it is whole.
bool saveVolumeReportTo(Ui& ui, const std::string& text, const std::string& path);

// The isopach as the contours of a DXF drawing, as Save As writes contours,
// through a replacement that takes the target's place only once whole. The
// command line's --isopach and Volumes > Save Isopach both write with it. The
// text that reports the save, or nothing when the file was not written (told).
std::optional<std::string> saveIsopach(const SiteModel& site, Ui& ui, const std::vector<ExportPolyline>& isopach,
                                       const std::string& path);

}  // namespace vellacor
