#include "surface/surface_jobs.h"

#include <algorithm>
#include <chrono>
#include <iterator>

#include "surface/boundary_trim.h"
#include "surface/neighbour_links.h"

namespace vellacor {

namespace {

constexpr auto kMeshInterval = std::chrono::milliseconds(100);
// Nor more often than this many times what gathering the last copy took: at
// ten million points a copy takes a quarter of a second of the insertion.
constexpr int kMeshCostShare = 10;

// Reports to the job and publishes the growing mesh to the snapshot when it is wanted.
class JobMonitor : public TriangulationMonitor {
public:
    JobMonitor(const JobControl& control, MeshSnapshot& snapshot) : control_(control), snapshot_(snapshot) {}

    bool carryOn(double fraction) override { return control_.carryOn(fraction); }
    bool meshDue() override {
        if (!snapshot_.wanted.load(std::memory_order_relaxed)) return false;
        const auto now = std::chrono::steady_clock::now();
        const std::chrono::steady_clock::duration gap = std::max<std::chrono::steady_clock::duration>(
            kMeshInterval, kMeshCostShare * lastCost_);
        if (now - lastPublished_ < gap) return false;
        lastPublished_ = now;
        return true;
    }
    void publishMesh(std::vector<MeshTriangle>& triangles) override {
        lastCost_ = std::chrono::steady_clock::now() - lastPublished_;
        std::lock_guard<std::mutex> lock(snapshot_.mutex);
        snapshot_.growing.triangles.swap(triangles);
        ++snapshot_.growing.revision;
        snapshot_.taken = false;
        snapshot_.wanted.store(false, std::memory_order_relaxed);
    }
    // The published mesh, or the buffer left for reuse, goes before the
    // triangle records are made: at ten million points it is 240 MB at the
    // build's peak. The view lets its own copy go when it sees this.
    void meshFinished() override {
        std::lock_guard<std::mutex> lock(snapshot_.mutex);
        std::vector<MeshTriangle>().swap(snapshot_.growing.triangles);  // not taken from now on
        snapshot_.finished = true;
    }

private:
    const JobControl& control_;
    MeshSnapshot& snapshot_;
    std::chrono::steady_clock::time_point lastPublished_{};
    std::chrono::steady_clock::duration lastCost_{};  // gathering the last copy
};

}  // namespace

bool takeGrowingMesh(MeshSnapshot& snapshot, GrowingMesh& into) {
    snapshot.wanted.store(true, std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(snapshot.mutex);
    if (snapshot.finished || into.revision == snapshot.growing.revision) return false;
    into.revision = snapshot.growing.revision;
    into.triangles.swap(snapshot.growing.triangles);
    snapshot.taken = true;
    // A forgotten mesh leaves no buffer worth keeping for reuse.
    if (into.triangles.empty()) std::vector<MeshTriangle>().swap(snapshot.growing.triangles);
    return true;
}

bool growingMeshFinished(const MeshSnapshot& snapshot) {
    std::lock_guard<std::mutex> lock(snapshot.mutex);
    return snapshot.finished;
}

bool buildSurface(TriangulationInput& input, TriangulationOutput& output, const JobControl& control,
                  MeshSnapshot& snapshot) {
    JobMonitor monitor(control, snapshot);
    bool complete = false;
    try {
        complete = triangulate(input, output, monitor);
    } catch (...) {
        snapshot.clear();
        throw;
    }
    snapshot.clear();
    return complete;
}

namespace {

// The linked surface cut down to its boundaries, when they take anything away.
void trimToBoundaries(const TopologyInput& input, TopologyResult& result) {
    const std::size_t count = static_cast<std::size_t>(input.triangleCount);
    std::vector<std::int32_t> linksOfTriangles;
    if (result.linksInTriangles) {
        linksOfTriangles.resize(3 * count);
        for (std::size_t t = 0; t < count; ++t)
            std::copy(std::begin(input.triangles[t].neighbour), std::end(input.triangles[t].neighbour), &linksOfTriangles[3 * t]);
    }
    const std::vector<std::int32_t>& links = result.linksInTriangles ? linksOfTriangles : result.links;
    const SurfaceView surface{input.points, input.pointCount, std::span<const TinTriangle>(input.triangles, count),
                              input.triangleCount, {}};
    const std::vector<std::uint8_t> kept = trianglesKeptByBoundaries(surface, links, input.boundaries);
    if (std::find(kept.begin(), kept.end(), 0) == kept.end()) return;
    result.trimmedTriangles = keepTriangles(surface, links, kept);
    const std::vector<TinTriangle>& trimmed = result.trimmedTriangles;
    std::vector<std::int32_t> trimmedLinks(3 * trimmed.size());
    for (std::size_t t = 0; t < trimmed.size(); ++t)
        std::copy(std::begin(trimmed[t].neighbour), std::end(trimmed[t].neighbour), &trimmedLinks[3 * t]);
    result.hullEdges = hullEdgesOf(trimmedLinks);
    result.trimmedDigest = triangleDigest(trimmed.data(), static_cast<int>(trimmed.size()));
    std::vector<std::int32_t>().swap(result.links);
    result.linksInTriangles = true;
    result.trimmed = true;
}

bool findLinks(TopologyInput& input, TopologyResult& result, const JobControl& control) {
    result.triangles = input.triangles;
    result.triangleCount = input.triangleCount;
    // Unchanged since the triangulation: the links it wrote stand.
    if (input.linksKnown) {
        std::vector<HullEdge> hull;
        if (digestAndHullEdges(input.triangles, input.triangleCount, hull) == input.knownDigest) {
            result.linksInTriangles = true;
            result.hullEdges = std::move(hull);
            return !control.cancelled();
        }
    }
    return linkNeighbours(input.triangles, input.triangleCount, result.links, result.hullEdges,
                          [&](double fraction) { return control.carryOn(fraction); });
}

}  // namespace

bool linkSurface(TopologyInput& input, TopologyResult& result, const JobControl& control) {
    if (!findLinks(input, result, control)) return false;
    if (input.boundaries.any()) trimToBoundaries(input, result);
    return !control.cancelled();
}

}  // namespace vellacor
