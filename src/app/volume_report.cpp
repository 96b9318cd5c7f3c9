#include "app/volume_report.h"

#include <cstdio>
#include <utility>

#include "app/site_model.h"
#include "app/surface_finished.h"
#include "app/surface_stages.h"
#include "platform/ui.h"

namespace vellacor {

namespace {

void appendLine(std::string& text, const char* name, double value) {
    char line[96];
    std::snprintf(line, sizeof line, "%s: %.6f\n", name, value);
    text += line;
}

}  // namespace

bool hasComparableSurface(const SiteModel& model) { return surfaceFinished(model.document); }

std::optional<VolumeTotals> compareSiteVolumes(const SiteModel& site, const SiteModel* comparison,
                                               const VolumeRequest& request,
                                               const std::function<bool(double)>& carryOn) {
    if (!comparison) return compareWithDatum(linkedSurfaceOf(site), request, carryOn);
    return compareSurfaces(linkedSurfaceOf(site), linkedSurfaceOf(*comparison), request, carryOn);
}

VolumeRequest volumeRequestOf(const VolumeQuestion& question, std::vector<Vec3> polygon) {
    VolumeRequest request;
    request.datum = question.datum;
    request.polygon = std::move(polygon);
    request.isopachInterval = question.isopachInterval;
    return request;
}

VolumeQuestion isopachQuestionOf(const SiteModel& site, std::optional<double> datum) {
    return VolumeQuestion{datum, site.document.contours.contourInterval};
}

bool volumesCompared(Ui& ui, const std::optional<VolumeTotals>& totals) {
    if (totals && totals->area > 0) return true;
    ui.message(kSurfacesDoNotOverlap);
    return false;
}

std::optional<VolumeTotals> workOutVolumes(const SiteModel& site, const SiteModel* comparison, Ui& ui,
                                           const VolumeQuestion& question, std::vector<Vec3> polygon) {
    std::optional<VolumeTotals> totals =
        compareSiteVolumes(site, comparison, volumeRequestOf(question, std::move(polygon)));
    if (!volumesCompared(ui, totals)) return std::nullopt;
    return totals;
}

std::string volumeFigures(const VolumeTotals& totals) {
    std::string text;
    appendLine(text, "cut", totals.cut);
    appendLine(text, "fill", totals.fill);
    appendLine(text, "net", totals.net());
    appendLine(text, "cut-area", totals.cutArea);
    appendLine(text, "fill-area", totals.fillArea);
    appendLine(text, "area", totals.area);
    return text;
}

std::string volumeReport(const VolumeTotals& totals) {
    std::string text = volumeFigures(totals);
    appendLine(text, "deepest-cut", totals.deepestCut);
    appendLine(text, "highest-fill", totals.highestFill);
    appendLine(text, "area-left-out", totals.areaLeftOut());
    return text;
}

}  // namespace vellacor
