#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "model/surface_view.h"

namespace vellacor {

// Three point indices, counter-clockwise in plan.
using MeshTriangle = std::array<std::int32_t, 3>;

// The part of the surface built so far, as the triangulation worker last
// published it. `revision` grows with every publication.
struct GrowingMesh {
    std::uint64_t revision = 0;
    std::vector<MeshTriangle> triangles;
};

// The growing mesh as the triangulation worker publishes it for the view:
// the one thing the worker and the user-interface thread both touch while
// it runs, under `mutex`.
struct MeshSnapshot {
    mutable std::mutex mutex;
    GrowingMesh growing;                      // guarded by mutex
    bool taken = false;                       // guarded: the view took `growing`; an old buffer is left
    bool finished = false;                    // guarded: the mesh is whole; the surface's records are being made
    mutable std::atomic<bool> wanted{false};  // someone draws the growing mesh: publish it

    // Forgets the mesh (a new build, or the end of one).
    void clear() {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<MeshTriangle>().swap(growing.triangles);
        ++growing.revision;
        taken = false;
        finished = false;
    }
};

// True once the worker has made its whole mesh and turns it into the
// surface's records (the build's peak of memory): the view's copy of the
// growing mesh is then let go, as it will not be drawn again.
bool growingMeshFinished(const MeshSnapshot& snapshot);

// Takes the mesh the worker published last into `into` when it is newer
// than what `into` holds and the mesh is not yet whole, leaving `into`'s
// old buffer for the worker to reuse; true when `into` changed. Every call
// also asks the worker to publish again (it does so at most every ~100 ms,
// and spends at most a tenth of its time on it).
bool takeGrowingMesh(MeshSnapshot& snapshot, GrowingMesh& into);

// What the user-interface thread keeps of the finished surface work.
struct SurfaceWork {
    // The hull edges of the linked surface in triangle order, made with the
    // neighbour links; `hullTriangleCount` is the triangle count they belong to.
    std::vector<HullEdge> hullEdges;
    int hullTriangleCount = -1;

    // The last triangulation wrote the neighbour links into the triangles;
    // they stand for the link stage while the triangles still have its digest.
    bool linksKnown = false;
    std::uint64_t knownDigest = 0;

    void discard() {
        std::vector<HullEdge>().swap(hullEdges);
        hullTriangleCount = -1;
        linksKnown = false;
        knownDigest = 0;
    }
};

}  // namespace vellacor
