#include "model/site_document.h"

#include <algorithm>

namespace vellacor {

StageTriple& stageOf(SiteDocument& d, StageId stage) {
    switch (stage) {
        case StageId::Triangulate: return d.triangulateStage;
        case StageId::Contour: return d.contourStage;
        case StageId::Shading: return d.shadingStage;
        case StageId::DwfOverlay: return d.dwfOverlayStage;
        case StageId::DxfOverlay: break;
    }
    return d.dxfOverlayStage;
}

bool anyStageRunning(const SiteDocument& d) {
    return d.triangulateStage.running || d.contourStage.running || d.shadingStage.running ||
           d.dwfOverlayStage.running || d.dxfOverlayStage.running;
}

void computeExtents(SiteDocument& d) {
    if (d.pointCount <= 0) {
        d.siteSize = 1.0;
        return;
    }
    const SurveyPoint& first = d.points[0];
    double minE = first.easting, maxE = first.easting;
    double minN = first.northing, maxN = first.northing;
    // Start values 9999 / -9999 act as limits: a site wholly above 9999 reports 9999.
    double minZ = 9999.0, maxZ = -9999.0;
    for (int i = 0; i < d.pointCount; ++i) {
        const SurveyPoint& p = d.points[static_cast<std::size_t>(i)];
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
    d.siteSize = dZ > plan ? dZ : plan;
    d.siteCentre = {minE + dE / 2, minN + dN / 2, dZ < 0 ? 0.0 : minZ + dZ / 2};
    d.minElevation = minZ;
    d.maxElevation = maxZ;
}

void computeNextPointNumber(SiteDocument& d) { d.nextPointNumber = nextPointNumberAfter(d.points.data(), d.pointCount); }

void clearDocument(SiteDocument& d) {
    d.pointCount = 0;
    d.skippedLines = {};
    d.duplicateFaces = 0;
    d.pointsBeforeThinning = 0;
    d.thinCellAsked = 0;
    d.triangleCount = 0;
    d.siteSize = 1.0;
    d.contours.contourInterval = 1.0;
    d.contours.contourSmoothing = 1.0;
    d.contours.contourLimitMode = ContourLimitMode::Everywhere;
    d.contours.limitPolygon.reset();
    for (int s = 0; s < kStageCount; ++s) stageOf(d, static_cast<StageId>(s)).invalidate();
    // Swapped with empty vectors: assigning {} would keep the old capacity.
    std::vector<SurveyPoint>().swap(d.points);
    std::vector<TinTriangle>().swap(d.triangles);
    d.breaklines = BreaklineList{};
    d.coordinateSystem.clear();
    d.boundaries = SurfaceBoundaries{};
}

void setAllDisplayMarks(SiteDocument& d, PointMark mark) {
    for (int i = 0; i < d.pointCount; ++i) d.points[static_cast<std::size_t>(i)].displayMark = mark;
}

}  // namespace vellacor
