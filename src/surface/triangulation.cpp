#include "surface/triangulation.h"

#include <chrono>
#include <cmath>
#include <new>

#include "app/site_model.h"
#include "platform/ui.h"
#include "surface/neighbour_links.h"
#include "surface/surface_jobs.h"
#include "surface/surface_linked.h"

namespace vellacor {

namespace {

constexpr auto kMeshInterval = std::chrono::milliseconds(100);
// Beyond this a plan coordinate is not a survey position: the 0.005 duplicate
// tolerance and the surface's geometry stop meaning anything.
constexpr double kLargestCoordinate = 1.0e15;

bool usableForSurface(const SurveyPoint& p) {
    return p.useInSurface != 0 && std::isfinite(p.easting) && std::isfinite(p.northing) &&
           std::fabs(p.easting) <= kLargestCoordinate && std::fabs(p.northing) <= kLargestCoordinate;
}

// The classic enclosing triangle, far beyond the site, kept in the three
// spare point records. The triangulation itself treats the outside of the
// hull exactly and never uses these points, so thin triangles along the hull
// are not lost to a finite enclosing triangle.
void writeEnclosingPoints(SiteModel& model) {
    const double s = model.document.siteSize, cx = model.document.siteCentre.x, cy = model.document.siteCentre.y;
    const double corners[3][2] = {
        {cx - 10000.0 * s, cy - 10000.0 * s}, {cx, cy + 10000.0 * s}, {cx + 10000.0 * s, cy - 10000.0 * s}};
    for (int k = 0; k < 3; ++k) {
        SurveyPoint& p = model.document.points[static_cast<std::size_t>(model.document.pointCount + k)];
        p = SurveyPoint{};
        p.easting = corners[k][0];
        p.northing = corners[k][1];
        p.elevation = 0.0;
        p.useInSurface = 1;
    }
}

void clearGrowingMesh(SurfaceWork& work) {
    std::lock_guard<std::mutex> lock(work.meshMutex);
    std::vector<MeshTriangle>().swap(work.growing.triangles);
    ++work.growing.revision;
}

class WorkerMonitor : public TriangulationMonitor {
public:
    WorkerMonitor(TriangulationJob& job, StageTriple& stage, std::atomic<double>& progress, SurfaceWork& work)
        : job_(job), stage_(stage), progress_(progress), work_(work) {}

    bool carryOn(double fraction) override {
        progress_.store(fraction, std::memory_order_relaxed);
        return stage_.running.load(std::memory_order_acquire) && !job_.cancelled.load(std::memory_order_relaxed);
    }
    bool meshDue() override {
        if (!work_.meshWanted.load(std::memory_order_relaxed)) return false;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastPublished_ < kMeshInterval) return false;
        lastPublished_ = now;
        return true;
    }
    void publishMesh(std::vector<MeshTriangle>& triangles) override {
        std::lock_guard<std::mutex> lock(work_.meshMutex);
        work_.growing.triangles.swap(triangles);
        ++work_.growing.revision;
        work_.meshWanted.store(false, std::memory_order_relaxed);
    }

private:
    TriangulationJob& job_;
    StageTriple& stage_;
    std::atomic<double>& progress_;
    SurfaceWork& work_;
    std::chrono::steady_clock::time_point lastPublished_{};
};

void runTriangulation(TriangulationJob& job, StageTriple& stage, std::atomic<double>& progress, SurfaceWork& work) {
    WorkerMonitor monitor(job, stage, progress, work);
    try {
        job.complete = triangulate(job.input, job.output, monitor);
    } catch (const std::bad_alloc&) {
        job.output = {};
        job.complete = false;
        job.outOfMemory = true;
    }
    clearGrowingMesh(work);
    stage.enabled.store(true);
    job.finished.store(true, std::memory_order_release);
}

void runTopology(TopologyJob& job, StageTriple& stage, std::atomic<double>& progress) {
    try {
        // Unchanged since the triangulation: its links stand.
        if (job.knownLinks.size() == 3 * static_cast<std::size_t>(job.triangleCount) &&
            triangleDigest(job.triangles, job.triangleCount) == job.knownDigest) {
            job.links = std::move(job.knownLinks);
            job.hullEdges = hullEdgesOf(job.links);
            job.complete = stage.running.load(std::memory_order_acquire) && !job.cancelled.load();
        } else {
            job.complete =
                linkNeighbours(job.triangles, job.triangleCount, job.links, job.hullEdges, [&](double fraction) {
                    progress.store(fraction, std::memory_order_relaxed);
                    return stage.running.load(std::memory_order_acquire) &&
                           !job.cancelled.load(std::memory_order_relaxed);
                });
        }
    } catch (const std::bad_alloc&) {
        job.complete = false;
        job.outOfMemory = true;
    }
    stage.enabled.store(true);
    job.finished.store(true, std::memory_order_release);
}

// Stops the neighbour-link worker and forgets its job: it reads the triangles
// that are about to be replaced.
void dropTopology(SiteModel& model) {
    SurfaceWork& work = model.work.surfaceWork;
    model.document.contourStage.running = false;
    if (work.topology) work.topology->cancelled = true;
    model.work.workers.join(StageId::Contour);
    work.topology.reset();
}

void adoptTriangulation(SiteModel& model, Ui& ui) {
    SurfaceWork& work = model.work.surfaceWork;
    if (!work.triangulation || !work.triangulation->finished.load(std::memory_order_acquire)) return;
    const std::shared_ptr<TriangulationJob> job = std::move(work.triangulation);
    model.work.workers.join(StageId::Triangulate);
    if (job->outOfMemory) fatalError(ui, "Unable to allocate storage for Triangles!");

    StageTriple& stage = model.document.triangulateStage;
    if (stage.running && job->complete) {
        for (std::int32_t p : job->output.duplicates)
            if (p >= 0 && p < model.document.pointCount) model.document.points[static_cast<std::size_t>(p)].useInSurface = 0;
        model.document.triangles = std::move(job->output.triangles);
        model.document.triangleCount = static_cast<int>(model.document.triangles.size());
        work.knownLinks = std::move(job->output.links);
        work.knownDigest = job->output.digest;
        stage.done = true;
    } else {
        model.document.triangles = {};
        model.document.triangleCount = 0;
        stage.done = false;
    }
    stage.running = false;
    stage.enabled = true;
    model.display.showPoints = model.document.triangleCount == 0;
    model.renderer.redrawNeeded = true;
}

void adoptTopology(SiteModel& model, Ui& ui) {
    SurfaceWork& work = model.work.surfaceWork;
    if (!work.topology || !work.topology->finished.load(std::memory_order_acquire)) return;
    const std::shared_ptr<TopologyJob> job = std::move(work.topology);
    model.work.workers.join(StageId::Contour);
    if (job->outOfMemory) fatalError(ui, "Unable to allocate memory for array!");

    StageTriple& stage = model.document.contourStage;
    const bool current = job->triangles == model.document.triangles.data() && job->triangleCount == model.document.triangleCount;
    if (!stage.running || !job->complete || !current) {
        stage.running = false;
        stage.enabled = true;
        model.cycle.forceRedrawOnce = true;
        return;
    }
    for (std::size_t t = 0; t < static_cast<std::size_t>(model.document.triangleCount); ++t)
        for (std::size_t k = 0; k < 3; ++k) model.document.triangles[t].neighbour[k] = job->links[3 * t + k];
    work.hullEdges = std::move(job->hullEdges);
    work.hullTriangleCount = model.document.triangleCount;
    stage.done = true;
    stage.running = false;
    stage.enabled = true;
    model.renderer.redrawNeeded = true;
    onSurfaceLinked(model);
}

}  // namespace

void startTriangulation(SiteModel& model, Ui& ui) {
    SurfaceWork& work = model.work.surfaceWork;
    dropTopology(model);
    if (work.triangulation) work.triangulation->cancelled = true;
    model.work.workers.join(StageId::Triangulate);
    work.triangulation.reset();

    model.document.triangles = {};
    model.document.triangleCount = 0;
    model.document.contourStage.done = false;
    model.document.shadingStage.done = false;
    work.hullEdges = {};
    work.hullTriangleCount = -1;
    work.knownLinks = {};
    if (!model.document.pointsNeedTriangulation) {
        model.document.triangulateStage.running = false;  // nothing to build: the stage must not stay busy
        return;
    }

    try {
        if (model.document.points.size() < static_cast<std::size_t>(model.document.pointCount) + 3)
            model.document.points.resize(static_cast<std::size_t>(model.document.pointCount) + 3);
    } catch (const std::bad_alloc&) {
        fatalError(ui, "Unable to allocate memory for array!");
    }
    writeEnclosingPoints(model);

    auto job = std::make_shared<TriangulationJob>();
    try {
        std::vector<SurfacePoint>& in = job->input.points;
        in.reserve(static_cast<std::size_t>(model.document.pointCount));
        for (int i = 0; i < model.document.pointCount; ++i) {
            const SurveyPoint& p = model.document.points[static_cast<std::size_t>(i)];
            if (usableForSurface(p)) in.push_back({p.easting, p.northing, p.elevation, i});
        }
    } catch (const std::bad_alloc&) {
        fatalError(ui, "Unable to allocate storage for Triangles!");
    }

    model.document.triangulateStage.done = false;
    model.document.triangulateStage.enabled = false;
    model.display.showPoints = true;  // the points are shown while the surface is built
    model.document.progress = 0.0;
    clearGrowingMesh(work);
    work.triangulation = job;
    model.work.workers.start(StageId::Triangulate, [job, &stage = model.document.triangulateStage, &progress = model.document.progress,
                                               &work] { runTriangulation(*job, stage, progress, work); });
}

void startTopology(SiteModel& model) {
    SurfaceWork& work = model.work.surfaceWork;
    if (work.topology) work.topology->cancelled = true;
    model.work.workers.join(StageId::Contour);

    auto job = std::make_shared<TopologyJob>();
    job->triangles = model.document.triangles.data();
    job->triangleCount = model.document.triangleCount;
    job->knownLinks = std::move(work.knownLinks);
    job->knownDigest = work.knownDigest;
    model.document.contourStage.enabled = false;
    model.document.contourStage.done = false;
    model.document.progress = 0.0;
    work.topology = job;
    model.work.workers.start(StageId::Contour, [job, &stage = model.document.contourStage, &progress = model.document.progress] {
        runTopology(*job, stage, progress);
    });
}

void adoptFinishedSurfaceWork(SiteModel& model, Ui& ui) {
    adoptTriangulation(model, ui);
    adoptTopology(model, ui);
}

void stopSurfaceWorkers(SiteModel& model) {
    SurfaceWork& work = model.work.surfaceWork;
    model.document.triangulateStage.running = false;
    model.document.contourStage.running = false;
    if (work.triangulation) work.triangulation->cancelled = true;
    if (work.topology) work.topology->cancelled = true;
    model.work.workers.join(StageId::Triangulate);
    model.work.workers.join(StageId::Contour);
}

bool copyGrowingMesh(const SiteModel& model, GrowingMesh& into) {
    const SurfaceWork& work = model.work.surfaceWork;
    work.meshWanted.store(true, std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(work.meshMutex);
    if (into.revision == work.growing.revision) return false;
    into.revision = work.growing.revision;
    into.triangles = work.growing.triangles;
    return true;
}

}  // namespace vellacor
