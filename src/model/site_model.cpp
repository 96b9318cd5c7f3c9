#include "model/site_model.h"

#include <algorithm>

namespace vellacor {

SiteModel::SiteModel() : random(static_cast<std::mt19937::result_type>(Clock::now().time_since_epoch().count())) {
    clearSite(*this);
    buildPalette(0, palette[0]);
    buildPalette(0, palette[1]);
    pointFileFormat = "UNKNOWN";
}

SiteModel::~SiteModel() { cancelAllWorkers(*this); }

StageTriple& stageOf(SiteModel& model, StageId stage) {
    switch (stage) {
        case StageId::Triangulate: return model.triangulateStage;
        case StageId::Contour: return model.contourStage;
        case StageId::Shading: return model.shadingStage;
        case StageId::DwfOverlay: return model.dwfOverlayStage;
        case StageId::DxfOverlay: break;
    }
    return model.dxfOverlayStage;
}

void cancelAllWorkers(SiteModel& model) {
    for (int s = 0; s < kStageCount; ++s) stageOf(model, static_cast<StageId>(s)).running = false;
    model.workers.joinAll();
}

void computeExtents(SiteModel& model) {
    if (model.pointCount <= 0) {
        model.siteSize = 1.0;
        return;
    }
    const SurveyPoint& first = model.points[0];
    double minE = first.easting, maxE = first.easting;
    double minN = first.northing, maxN = first.northing;
    // Start values 9999 / -9999 act as limits: a site wholly above 9999 reports 9999.
    double minZ = 9999.0, maxZ = -9999.0;
    for (int i = 0; i < model.pointCount; ++i) {
        const SurveyPoint& p = model.points[static_cast<std::size_t>(i)];
        if (p.easting < minE) minE = p.easting;
        if (p.easting >= maxE) maxE = p.easting;
        if (p.northing < minN) minN = p.northing;
        if (p.northing >= maxN) maxN = p.northing;
        if (!isValidElevation(p.elevation)) continue;
        if (p.elevation < minZ) minZ = p.elevation;
        if (p.elevation >= maxZ) maxZ = p.elevation;
    }
    const double dE = maxE - minE, dN = maxN - minN, dZ = maxZ - minZ;
    const double plan = dE >= dN ? dE : dN;
    model.siteSize = dZ > plan ? dZ : plan;
    model.siteCentre = {minE + dE / 2, minN + dN / 2, dZ < 0 ? 0.0 : minZ + dZ / 2};
    model.minElevation = minZ;
    model.maxElevation = maxZ;
}

void computeNextPointNumber(SiteModel& model) {
    model.nextPointNumber = nextPointNumberAfter(model.points.data(), model.pointCount);
}

void clearSite(SiteModel& model) {
    cancelAllWorkers(model);
    model.surfaceWork.discard();
    model.contourLimitMode = 1;
    model.surfaceMode = 1;
    model.verticalScale = 1.0;
    model.showPoints = false;
    model.showTriangles = false;
    model.showBreaklines = false;
    model.showPointNumbers = model.showPointDescriptions = model.showPointElevations = false;
    model.showGrid = model.showNormals = model.showRipples = false;
    model.pointCount = 0;
    model.skippedLines = {};
    model.triangleCount = 0;
    model.siteSize = 1.0;
    model.contourInterval = 1.0;
    model.contourSmoothing = 1.0;
    model.showContours = false;
    buildPalette(0, model.palette[0]);
    model.camera.Reset(model);
    model.redrawNeeded = true;
    model.light.reset();
    for (int s = 0; s < kStageCount; ++s) stageOf(model, static_cast<StageId>(s)).invalidate();
    model.shadingJob.reset();
    model.selectedPoint = kNoPoint;
    model.points = {};
    model.triangles = {};
    model.rainSystem.reset();
    model.showRain = false;
    model.dwfOverlay.reset();
    model.showDwfOverlay = false;
    model.breaklines = BreaklineList{};
    model.ponds.reset();
    model.showPonds = false;
    model.limitPolygon.reset();
}

void setAllDisplayMarks(SiteModel& model, std::uint8_t mark) {
    for (int i = 0; i < model.pointCount; ++i) model.points[static_cast<std::size_t>(i)].displayMark = mark;
}

}  // namespace vellacor
