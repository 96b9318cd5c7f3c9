#include "app/overlay_stages.h"

#include "app/site_model.h"
#include "app/surface_stages.h"

namespace vellacor {

namespace {

bool dwfShownAndAligned(const SiteModel& model) {
    return model.display.showDwfOverlay && model.overlays.dwfOverlay && model.overlays.dwfOverlay->aligned;
}

void startDraping(SiteModel& model, BackgroundJob<DrapeResult>& job, StageTriple& stage, const CadOverlay& overlay) {
    const SurfaceView surface = linkedSurfaceOf(model);
    DrapeWork work;
    work.points.assign(surface.points.begin(), surface.points.begin() + surface.pointCount);
    work.pointCount = surface.pointCount;
    work.triangles.assign(surface.triangles.begin(), surface.triangles.begin() + surface.triangleCount);
    work.triangleCount = surface.triangleCount;
    work.hullEdges.assign(surface.hullEdges.begin(), surface.hullEdges.end());
    work.lines = overlay.lines;
    stage.done = false;
    stage.enabled = false;
    stage.running = true;
    model.document.progress = 0.0;
    job.start(model.document.progress, [work = std::move(work)](DrapeResult& result, const JobControl& control) mutable {
        result.work = std::move(work);
        return drapeCadLines(result.work.surface(), result.work.lines, result.draped, control);
    });
}

bool sameSurface(const SiteDocument& d, const DrapeWork& work) {
    if (work.triangleCount != d.triangleCount || work.pointCount != d.pointCount) return false;
    for (int t = 0; t < d.triangleCount; ++t)
        for (int k = 0; k < 3; ++k)
            if (work.triangles[static_cast<std::size_t>(t)].vertex[k] != d.triangles[static_cast<std::size_t>(t)].vertex[k])
                return false;
    return true;
}

bool sameLines(const std::vector<CadLine>& a, const std::vector<CadLine>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].colour != b[i].colour || a[i].vertices.size() != b[i].vertices.size()) return false;
        for (std::size_t k = 0; k < a[i].vertices.size(); ++k) {
            const Vec3 &p = a[i].vertices[k], &q = b[i].vertices[k];
            if (p.x != q.x || p.y != q.y || p.z != q.z) return false;
        }
    }
    return true;
}

// `showWhenDone`: the switch a DWF overlay is hidden by while it is draped.
void adopt(SiteModel& model, BackgroundJob<DrapeResult>& job, StageTriple& stage, CadOverlay* overlay,
           bool* showWhenDone) {
    if (!model.document.contourStage.done && (stage.done || job.active())) {
        job.cancel();
        stage.invalidate();
        stage.enabled = true;
        if (showWhenDone && overlay) *showWhenDone = true;
        return;
    }
    std::optional<JobOutcome<DrapeResult>> outcome = job.adopt();
    if (!outcome) return;
    stage.running = false;
    stage.enabled = true;
    // A drape of other lines (the overlay was replaced while it ran) or of
    // another surface is dropped; the stage runs again for what is shown now.
    if (outcome->outOfMemory || !outcome->complete || !overlay || !sameSurface(model.document, outcome->result.work) ||
        !sameLines(outcome->result.work.lines, overlay->lines))
        return;
    overlay->draped = std::move(outcome->result.draped);
    stage.done = true;
    if (showWhenDone) *showWhenDone = true;
    model.renderer.redrawNeeded = true;
}

}  // namespace

void startOverlayStages(SiteModel& model) {
    SiteDocument& d = model.document;
    if (!dwfShownAndAligned(model)) {
        if (model.display.showDxfOverlay && model.overlays.dxfOverlay && !d.dxfOverlayStage.done &&
            d.dxfOverlayStage.enabled && !model.work.dxfDraping.active())
            startDraping(model, model.work.dxfDraping, d.dxfOverlayStage, *model.overlays.dxfOverlay);
    } else if (!d.dwfOverlayStage.done && d.dwfOverlayStage.enabled && !model.work.dwfDraping.active()) {
        startDraping(model, model.work.dwfDraping, d.dwfOverlayStage, *model.overlays.dwfOverlay);
        model.display.showDwfOverlay = false;  // shown again with its drape
    }
}

void adoptOverlayDraping(SiteModel& model) {
    adopt(model, model.work.dxfDraping, model.document.dxfOverlayStage, model.overlays.dxfOverlay.get(), nullptr);
    adopt(model, model.work.dwfDraping, model.document.dwfOverlayStage, model.overlays.dwfOverlay.get(),
          &model.display.showDwfOverlay);
}

}  // namespace vellacor
