#include "surface/surface_jobs.h"

#include <chrono>

#include "surface/neighbour_links.h"

namespace vellacor {

namespace {

constexpr auto kMeshInterval = std::chrono::milliseconds(100);

// Reports to the job and publishes the growing mesh to the snapshot when it is wanted.
class JobMonitor : public TriangulationMonitor {
public:
    JobMonitor(const JobControl& control, MeshSnapshot& snapshot) : control_(control), snapshot_(snapshot) {}

    bool carryOn(double fraction) override { return control_.carryOn(fraction); }
    bool meshDue() override {
        if (!snapshot_.wanted.load(std::memory_order_relaxed)) return false;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastPublished_ < kMeshInterval) return false;
        lastPublished_ = now;
        return true;
    }
    void publishMesh(std::vector<MeshTriangle>& triangles) override {
        std::lock_guard<std::mutex> lock(snapshot_.mutex);
        snapshot_.growing.triangles.swap(triangles);
        ++snapshot_.growing.revision;
        snapshot_.wanted.store(false, std::memory_order_relaxed);
    }

private:
    const JobControl& control_;
    MeshSnapshot& snapshot_;
    std::chrono::steady_clock::time_point lastPublished_{};
};

}  // namespace

bool copyGrowingMesh(const MeshSnapshot& snapshot, GrowingMesh& into) {
    snapshot.wanted.store(true, std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(snapshot.mutex);
    if (into.revision == snapshot.growing.revision) return false;
    into.revision = snapshot.growing.revision;
    into.triangles = snapshot.growing.triangles;
    return true;
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

bool linkSurface(TopologyInput& input, TopologyResult& result, const JobControl& control) {
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

}  // namespace vellacor
