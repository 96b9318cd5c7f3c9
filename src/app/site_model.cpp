#include "app/site_model.h"

#include "render/frame_projection.h"

namespace vellacor {

SiteModel::SiteModel() : random(static_cast<std::mt19937::result_type>(Clock::now().time_since_epoch().count())) {
    clearSite(*this);
    buildPalette(PaletteChoice::Grey, renderer.palette[0]);
    buildPalette(PaletteChoice::Grey, renderer.palette[1]);
    document.pointFileFormat = PointFileFormat::Unknown;
}

SiteModel::~SiteModel() { cancelAllWorkers(*this); }

void cancelAllWorkers(SiteModel& model) {
    for (int s = 0; s < kStageCount; ++s) stageOf(model.document, static_cast<StageId>(s)).running = false;
    model.work.triangulation.cancel();
    model.work.topology.cancel();
    model.work.shading.cancel();
    model.work.dxfDraping.cancel();
    model.work.dwfDraping.cancel();
    model.work.volumes.job.cancel();
    model.work.cutFillDifference.cancel();
    model.work.detailLevels.cancel();
    model.work.opening.cancel();
}

void clearSite(SiteModel& model) {
    cancelAllWorkers(model);
    model.work.surfaceWork.discard();
    model.work.growingMesh.clear();
    model.work.displayBeforeBreaklines.reset();
    model.work.breaklineEnforcer = BreaklineEnforcer{};
    std::vector<DuplicatePoint>().swap(model.work.duplicatePoints);
    clearDocument(model.document);
    DisplaySwitches& d = model.display;
    d.surfaceMode = SurfaceMode::Flat;
    d.verticalScale = 1.0;
    d.showPoints = d.showTriangles = d.showBreaklines = d.showContours = false;
    d.showPointNumbers = d.showPointDescriptions = d.showPointElevations = false;
    d.showGrid = d.showNormals = d.showRipples = false;
    d.showRain = d.showPonds = d.showDwfOverlay = false;
    buildPalette(PaletteChoice::Grey, model.renderer.palette[0]);
    model.camera.Reset();
    model.renderer.redrawNeeded = true;
    model.renderer.light.reset();
    forgetSurfaceCaches(model.renderer);
    model.input.selectedPoint = kNoSelection;
    model.input.section.reset();
    model.water.rainSystem.reset();
    model.water.ponds.reset();
    model.overlays.dwfOverlay.reset();
    model.edits = SiteEdits{};
}

CameraInputs cameraInputsOf(const SiteModel& model) {
    CameraInputs in = cameraInputsOf(model.document);
    in.verticalScale = model.display.verticalScale;
    in.frameSeconds = model.cycle.frameSeconds;
    in.viewport = viewportOf(model.renderer.frame);
    if (model.display.showRain) in.rain = model.water.rainSystem.get();
    return in;
}

}  // namespace vellacor
