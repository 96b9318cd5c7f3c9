#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace vellacor {

// Three point indices, counter-clockwise in plan.
using MeshTriangle = std::array<std::int32_t, 3>;

// The part of the surface built so far, as the triangulation worker last
// published it. `revision` grows with every publication.
struct GrowingMesh {
    std::uint64_t revision = 0;
    std::vector<MeshTriangle> triangles;
};

// A hull edge of the linked surface: the triangle and its edge slot
// (the edge vertex[edge] -> vertex[(edge + 1) % 3] has no neighbour).
struct HullEdge {
    std::int32_t triangle;
    std::int32_t edge;
};

struct TriangulationJob;
struct TopologyJob;

// The surface's background work: the job each worker runs, and what the
// user-interface thread may look at while it runs. Only the mesh snapshot is
// shared with a worker while it runs; everything else belongs to the
// user-interface thread.
struct SurfaceWork {
    mutable std::mutex meshMutex;
    GrowingMesh growing;                         // guarded by meshMutex
    mutable std::atomic<bool> meshWanted{false};  // someone draws the growing mesh: publish it

    std::shared_ptr<TriangulationJob> triangulation;  // the job started last, until adopted
    std::shared_ptr<TopologyJob> topology;

    // The hull edges of the linked surface in triangle order, made with the
    // neighbour links; `hullTriangleCount` is the triangle count they belong to.
    std::vector<HullEdge> hullEdges;
    int hullTriangleCount = -1;

    // Forgets every unadopted result, the snapshot and the hull list. Call
    // only when the workers have been stopped (a new site).
    void discard() {
        triangulation.reset();
        topology.reset();
        {
            std::lock_guard<std::mutex> lock(meshMutex);
            growing.triangles = {};
            ++growing.revision;
        }
        hullEdges = {};
        hullTriangleCount = -1;
    }
};

}  // namespace vellacor
