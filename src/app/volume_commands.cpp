#include "app/volume_commands.h"

#include <cstdio>

#include "app/comparison_surface.h"
#include "app/cut_fill_view.h"
#include "app/document.h"
#include "app/site_model.h"
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

std::optional<VolumeTotals> runVolumes(SiteModel& model, Ui& ui, const VolumeQuestion& question) {
    if (!hasComparableSurface(model)) {
        ui.message(model.document.triangulateStage.running || model.document.contourStage.running
                       ? "The site's surface is still being built."
                       : kNoSurfaceToCompare);
        return std::nullopt;
    }
    const ComparisonState& c = model.comparison;
    if (!question.datum && !comparisonSurfaceReady(model)) {
        ui.message(!c.surface ? "Open a comparison surface first (File > Open Comparison Surface...)."
                   : comparisonSurfaceBuilding(model) ? "The comparison surface is still being built."
                                                      : kNoSurfaceToCompare);
        return std::nullopt;
    }
    VolumeRequest request;
    request.datum = question.datum;
    request.polygon = volumeLimitOf(model);
    request.isopachInterval = question.isopachInterval;
    ui.setWaitCursor(true);
    std::optional<VolumeTotals> totals =
        compareSiteVolumes(model, question.datum ? nullptr : c.surface.get(), request);
    ui.setWaitCursor(false);
    if (!totals || !(totals->area > 0)) {
        ui.message(kSurfacesDoNotOverlap);
        return std::nullopt;
    }
    if (model.comparison.datum != question.datum) {
        model.comparison.datum = question.datum;  // the cut/fill view shows what was asked last
        forgetCutFillDifference(model);
    }
    return totals;
}

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
    if (!ok) ui.message("Unable to write file:\n\n" + path);
    return ok;
}

bool saveIsopachTo(const SiteModel& site, Ui& ui, const std::vector<ExportPolyline>& isopach, const std::string& path) {
    FileReplacement file(path);
    if (!file.file()) {
        ui.message("Unable to open file for writing!\n\n" + path);
        return false;
    }
    ExportParts parts;
    parts.contours = true;
    bool ok = writeDxf(file.file(), site.document, parts, isopach);
    ok = ok && file.commit();  // a failed write leaves the target as it was
    if (!ok) ui.message("Unable to write file:\n\n" + path);
    return ok;
}

}  // namespace vellacor
