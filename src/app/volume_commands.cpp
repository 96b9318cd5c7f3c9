#include "app/volume_commands.h"

#include <cstdio>

#include "app/comparison_surface.h"
#include "app/cut_fill_view.h"
#include "app/document.h"
#include "app/site_model.h"
#include "app/site_save.h"
#include "app/surface_stages.h"
#include "app/volume_report.h"
#include "export/writers.h"
#include "model/file_replacement.h"
#include "platform/ui.h"

namespace vellacor {

std::vector<Vec3> volumeLimitOf(const SiteModel& model) {
    const ContourSettings& c = model.document.contours;
    if (c.contourLimitMode != ContourLimitMode::InsidePolygon || !c.limitPolygon || c.limitPolygon->vertexCount() < 3)
        return {};
    return c.limitPolygon->vertices;
}

bool startVolumes(SiteModel& model, Ui& ui, const VolumeQuestion& question, VolumeUse use) {
    if (!hasComparableSurface(model)) {
        ui.message(model.document.triangulateStage.running || model.document.contourStage.running
                       ? "The site's surface is still being built."
                       : kNoSurfaceToCompare);
        return false;
    }
    const ComparisonState& c = model.comparison;
    if (!question.datum && !comparisonSurfaceReady(model)) {
        ui.message(!c.surface ? "Open a comparison surface first (File > Open Comparison Surface...)."
                   : comparisonSurfaceBuilding(model) ? "The comparison surface is still being built."
                                                      : kNoSurfaceToCompare);
        return false;
    }
    VolumeRequest request = volumeRequestOf(question, volumeLimitOf(model));
    // The views point into the surfaces themselves: every change to them
    // cancels the job before it is made (stopSurfaceWorkers, cancelAllWorkers,
    // openComparisonSurface).
    const SurfaceView site = linkedSurfaceOf(model);
    const std::optional<SurfaceView> comparison =
        question.datum ? std::nullopt : std::optional<SurfaceView>(linkedSurfaceOf(*c.surface));
    VolumeJob& v = model.work.volumes;
    v.job.cancel();
    v.question = question;
    v.use = use;
    v.progress = 0.0;
    v.job.start(v.progress, [site, comparison, request = std::move(request)](std::optional<VolumeTotals>& totals,
                                                                             const JobControl& control) {
        const auto carryOn = [&control](double fraction) { return control.carryOn(fraction); };
        totals = comparison ? compareSurfaces(site, *comparison, request, carryOn)
                            : compareWithDatum(site, request, carryOn);
        return true;  // a stopped run is known by its cancelled flag
    });
    return true;
}

std::optional<FinishedVolumes> adoptFinishedVolumes(SiteModel& model, Ui& ui) {
    VolumeJob& v = model.work.volumes;
    std::optional<JobOutcome<std::optional<VolumeTotals>>> outcome = v.job.adopt();
    if (!outcome) return std::nullopt;
    if (outcome->outOfMemory) {
        ui.message("Unable to allocate memory for array!", MessageKind::Error);
        return std::nullopt;
    }
    if (!outcome->complete) return std::nullopt;
    std::optional<VolumeTotals>& totals = outcome->result;
    if (!volumesCompared(ui, totals)) return std::nullopt;
    if (model.comparison.datum != v.question.datum) {
        model.comparison.datum = v.question.datum;  // the cut/fill view shows what was asked last
        forgetCutFillDifference(model);
    }
    return FinishedVolumes{v.question, v.use, std::move(*totals)};
}

void cancelVolumes(SiteModel& model) { model.work.volumes.job.cancel(); }

std::optional<std::string> volumeProgressMessage(const SiteModel& model) {
    if (!model.work.volumes.job.active()) return std::nullopt;
    return "Computing Volumes";
}

double volumeProgress(const SiteModel& model) { return model.work.volumes.progress.load(); }

std::string volumeDialogText(const SiteModel& model, const std::string& siteName, const VolumeQuestion& question,
                             const VolumeTotals& totals) {
    std::string text = "Site: " + siteName + "\n";
    if (question.datum) {
        char line[96];
        std::snprintf(line, sizeof line, "Compared with: elevation %.6f\n", *question.datum);
        text += line;
    } else {
        text += "Compared with: " + model.comparison.name + "\n";
    }
    if (!volumeLimitOf(model).empty()) text += "Limited to the contour limit polygon.\n";
    return text + "\n" + volumeReport(totals);
}

bool saveVolumeReportTo(Ui& ui, const std::string& text, const std::string& path) {
    FileReplacement file(path);
    if (!file.file()) {
        ui.message("Unable to open file for writing!\n\n" + path);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file.file()) == text.size();
    ok = ok && file.commit();  // a failed write leaves the target as it was
    return reportIfUnwritten(ui, ok, path);
}

std::optional<std::string> saveIsopach(const SiteModel& site, Ui& ui, const std::vector<ExportPolyline>& isopach,
                                       const std::string& path) {
    FileReplacement file(path);
    if (!file.file()) {
        ui.message("Unable to open file for writing!\n\n" + path);
        return std::nullopt;
    }
    ExportParts parts;
    parts.contours = true;
    bool ok = writeDxf(file.file(), site.document, parts, isopach);
    ok = ok && file.commit();  // a failed write leaves the target as it was
    if (!reportIfUnwritten(ui, ok, path)) return std::nullopt;
    return savedFileMessage(path);
}

}  // namespace vellacor
