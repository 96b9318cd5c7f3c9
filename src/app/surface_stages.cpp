#include "app/surface_stages.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "app/site_model.h"
#include "platform/ui.h"
#include "surface/surface_jobs.h"
#include "water/rain_system.h"

namespace vellacor {

namespace {

bool usableForSurface(const SurveyPoint& p) {
    return p.useInSurface && isUsableCoordinate(p.easting) && isUsableCoordinate(p.northing);
}

// The classic enclosing triangle, far beyond the site, kept in the three
// spare point records. The triangulation itself treats the outside of the
// hull exactly and never uses these points, so thin triangles along the hull
// are not lost to a finite enclosing triangle.
void writeEnclosingPoints(SiteDocument& d) {
    const double s = d.siteSize, cx = d.siteCentre.x, cy = d.siteCentre.y;
    const double corners[3][2] = {
        {cx - 10000.0 * s, cy - 10000.0 * s}, {cx, cy + 10000.0 * s}, {cx + 10000.0 * s, cy - 10000.0 * s}};
    for (int k = 0; k < 3; ++k) {
        SurveyPoint& p = d.points[static_cast<std::size_t>(d.pointCount + k)];
        p = SurveyPoint{};
        p.easting = corners[k][0];
        p.northing = corners[k][1];
        p.elevation = 0.0;
        p.useInSurface = true;
    }
}

void adoptTriangulation(SiteModel& model, Ui& ui) {
    auto outcome = model.work.triangulation.adopt();
    if (!outcome) return;
    model.work.growingMesh.clear();  // the build is over: its last published mesh is not needed
    if (outcome->outOfMemory) fatalError(ui, "Unable to allocate storage for Triangles!");

    SiteDocument& d = model.document;
    StageTriple& stage = d.triangulateStage;
    if (stage.running && outcome->complete) {
        TriangulationOutput& out = outcome->result;
        for (const DuplicatePoint& p : out.duplicates)
            if (isPointIndex(d, p.point)) pointAt(d, p.point).useInSurface = false;
        std::sort(out.duplicates.begin(), out.duplicates.end(),
                  [](const DuplicatePoint& a, const DuplicatePoint& b) { return a.point < b.point; });
        model.work.duplicatePoints = std::move(out.duplicates);
        d.triangles = std::move(out.triangles);
        d.triangleCount = static_cast<int>(d.triangles.size());
        model.work.surfaceWork.linksKnown = true;
        model.work.breaklineEnforcer = BreaklineEnforcer{};  // its links were for the old triangles
        model.work.surfaceWork.knownDigest = out.digest;
        stage.done = true;
        if (!d.breaklines.empty()) {  // the staged insertion puts them in again
            d.breaklines.allInserted = false;
            d.breaklinesInserted = 0;
            // It changes triangles and keeps their links itself, starting from
            // these; the records' links stand again after the link stage.
            std::vector<std::int32_t> links(3 * d.triangles.size());
            for (std::size_t t = 0; t < d.triangles.size(); ++t)
                std::copy(std::begin(d.triangles[t].neighbour), std::end(d.triangles[t].neighbour), &links[3 * t]);
            model.work.breaklineEnforcer.adoptLinks(std::move(links), d.triangles, d.triangleCount, d.pointCount);
            model.work.surfaceWork.linksKnown = false;
            for (TinTriangle& t : d.triangles) std::fill(std::begin(t.neighbour), std::end(t.neighbour), kNoTriangle);
        }
    } else {
        std::vector<TinTriangle>().swap(d.triangles);
        d.triangleCount = 0;
        stage.done = false;
    }
    stage.running = false;
    stage.enabled = true;
    model.display.showPoints = d.triangleCount == 0;
    model.renderer.redrawNeeded = true;
}

// The boundaries took triangles away: the smaller surface replaces the whole
// one, and what was worked out from the whole one is made again from it.
void adoptTrimmedSurface(SiteModel& model, std::vector<TinTriangle>&& trimmed, std::uint64_t digest) {
    SiteDocument& d = model.document;
    model.work.cutFillDifference.cancel();  // these two read the triangles in place
    model.work.detailLevels.cancel();
    d.triangles = std::move(trimmed);
    d.triangleCount = static_cast<int>(d.triangles.size());
    model.work.surfaceWork.linksKnown = true;
    model.work.surfaceWork.knownDigest = digest;
    model.work.breaklineEnforcer = BreaklineEnforcer{};  // its links were for the whole surface
    model.work.shading.requestCancel();
    d.shadingStage.running = false;
    d.shadingStage.done = false;
    forgetSurfaceCaches(model.renderer);
    forgetReshapedSurface(model);
}

void adoptTopology(SiteModel& model, Ui& ui) {
    auto outcome = model.work.topology.adopt();
    if (!outcome) return;
    if (outcome->outOfMemory) fatalError(ui, "Unable to allocate memory for array!");

    SiteDocument& d = model.document;
    StageTriple& stage = d.contourStage;
    const TopologyResult& result = outcome->result;
    const bool current = result.triangles == d.triangles.data() && result.triangleCount == d.triangleCount;
    if (!stage.running || !outcome->complete || !current) {
        stage.running = false;
        stage.enabled = true;
        model.cycle.forceRedrawOnce = true;
        return;
    }
    if (result.trimmed) {
        adoptTrimmedSurface(model, std::move(outcome->result.trimmedTriangles), result.trimmedDigest);
    } else if (!result.linksInTriangles) {
        for (std::size_t t = 0; t < static_cast<std::size_t>(d.triangleCount); ++t)
            for (std::size_t k = 0; k < 3; ++k) d.triangles[t].neighbour[k] = result.links[3 * t + k];
    }
    model.work.surfaceWork.hullEdges = std::move(outcome->result.hullEdges);
    model.work.surfaceWork.hullTriangleCount = d.triangleCount;
    stage.done = true;
    stage.running = false;
    stage.enabled = true;
    model.renderer.redrawNeeded = true;
    // With the links done the orbit target goes onto the ground below the
    // site centre (or the camera's fallback when no triangle holds it).
    model.camera.PlaceTargetOnSurface(surfaceOf(d), d.siteCentre, true);
}

}  // namespace

void startTriangulation(SiteModel& model, Ui& ui) {
    SiteDocument& d = model.document;
    BackgroundWork& work = model.work;
    work.topology.cancel();
    work.triangulation.cancel();

    std::vector<TinTriangle>().swap(d.triangles);
    d.triangleCount = 0;
    d.contourStage.done = false;
    d.shadingStage.done = false;
    work.surfaceWork.discard();
    std::vector<DuplicatePoint>().swap(work.duplicatePoints);
    if (!d.pointsNeedTriangulation) {
        d.triangulateStage.running = false;  // nothing to build: the stage must not stay busy
        return;
    }

    try {
        if (d.points.size() < static_cast<std::size_t>(d.pointCount) + 3)
            d.points.resize(static_cast<std::size_t>(d.pointCount) + 3);
    } catch (const std::bad_alloc&) {
        fatalError(ui, "Unable to allocate memory for array!");
    }
    writeEnclosingPoints(d);

    TriangulationInput input;
    try {
        input.points.reserve(static_cast<std::size_t>(d.pointCount));
        for (int i = 0; i < d.pointCount; ++i) {
            const SurveyPoint& p = d.points[static_cast<std::size_t>(i)];
            if (usableForSurface(p)) input.points.push_back({p.easting, p.northing, i});
        }
    } catch (const std::bad_alloc&) {
        fatalError(ui, "Unable to allocate storage for Triangles!");
    }

    d.triangulateStage.done = false;
    d.triangulateStage.enabled = false;
    model.display.showPoints = true;  // the points are shown while the surface is built
    d.progress = 0.0;
    model.cycle.lastGrowingDraw = {};
    work.growingMesh.clear();
    work.triangulation.start(d.progress, [input = std::move(input), &snapshot = work.growingMesh](
                                             TriangulationOutput& output, const JobControl& control) mutable {
        return buildSurface(input, output, control, snapshot);
    });
}

void startTopology(SiteModel& model) {
    SiteDocument& d = model.document;
    BackgroundWork& work = model.work;
    work.topology.cancel();
    TopologyInput input;
    input.triangles = d.triangles.data();
    input.triangleCount = d.triangleCount;
    input.linksKnown = work.surfaceWork.linksKnown;
    input.knownDigest = work.surfaceWork.knownDigest;
    input.boundaries = d.boundaries;
    input.points = std::span<const SurveyPoint>(d.points).first(static_cast<std::size_t>(d.pointCount));
    input.pointCount = d.pointCount;
    d.contourStage.enabled = false;
    d.contourStage.done = false;
    d.progress = 0.0;
    work.topology.start(d.progress, [input = std::move(input)](TopologyResult& result,
                                                               const JobControl& control) mutable {
        return linkSurface(input, result, control);
    });
}

void adoptFinishedSurfaceWork(SiteModel& model, Ui& ui) {
    adoptTriangulation(model, ui);
    adoptTopology(model, ui);
}

void forgetReshapedSurface(SiteModel& model) {
    forgetContourLines(model.renderer.contourLines);
    forgetTriangleFacets(model.renderer.facets);
    if (model.water.rainSystem) model.water.rainSystem->surfaceReshaped();
}

void dropSurfaceResults(SiteModel& model) {
    SiteDocument& d = model.document;
    stopSurfaceWorkers(model);
    model.work.shading.cancel();  // its worker reads the triangles
    d.triangulateStage.invalidate();
    d.contourStage.invalidate();
    d.shadingStage.invalidate();
    model.work.surfaceWork.discard();
    forgetSurfaceCaches(model.renderer);
    model.input.selectedPoint = kNoSelection;
    model.water.rainSystem.reset();
    model.water.ponds.reset();
}

void stopSurfaceWorkers(SiteModel& model) {
    model.document.triangulateStage.running = false;
    model.document.contourStage.running = false;
    model.work.triangulation.cancel();
    model.work.topology.cancel();
    // Their results are gone with them and will not be adopted: the stages may
    // start again at once (an undo straight after a redo builds the surface).
    model.document.triangulateStage.enabled = true;
    model.document.contourStage.enabled = true;
    model.work.volumes.job.cancel();  // these three read the points and triangles in place
    model.work.cutFillDifference.cancel();
    model.work.detailLevels.cancel();
}

void cancelStage(SiteModel& model, StageId stage) {
    stageOf(model.document, stage).running = false;
    switch (stage) {
        case StageId::Triangulate: model.work.triangulation.requestCancel(); break;
        case StageId::Contour: model.work.topology.requestCancel(); break;
        case StageId::Shading: model.work.shading.requestCancel(); break;
        case StageId::DxfOverlay: model.work.dxfDraping.requestCancel(); break;
        case StageId::DwfOverlay: model.work.dwfDraping.requestCancel(); break;
        default: break;
    }
}

SurfaceView linkedSurfaceOf(const SiteModel& model) {
    SurfaceView view = surfaceOf(model.document);
    const SurfaceWork& work = model.work.surfaceWork;
    if (work.hullTriangleCount == model.document.triangleCount) view.hullEdges = work.hullEdges;
    return view;
}

}  // namespace vellacor
