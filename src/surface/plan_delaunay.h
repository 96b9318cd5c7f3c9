#pragma once
#include <cstdint>
#include <vector>

namespace vellacor {

// Incremental Delaunay triangulation of distinct plan points (Bowyer-Watson).
//
// The mesh is kept as flat index arrays: three vertices per triangle slot and,
// per edge, the id (3 * slot + edge) of the same edge seen from the triangle
// across it. The outside of the hull is covered by "ghost" triangles whose
// third vertex is a vertex at infinity, so a point beyond the hull is inserted
// exactly like one inside: it conflicts with the ghosts of the hull edges it
// sees. A triangle is in conflict with a new point when the point lies inside
// or on its circumcircle; for a ghost, when the point lies strictly beyond its
// hull edge or on the open edge itself.
//
// Each new point is located by walking from the previous insertion, its cavity
// grows through the edge links, and the cavity's slots are reused, so the
// insertion allocates nothing once the arrays have grown. Feed the points in a
// spatially coherent order (see hilbertOrder) and every walk is short.
class PlanDelaunay {
public:
    // x and y hold `count` points, pairwise distinct; they must outlive the builder.
    PlanDelaunay(const double* x, const double* y, int count);

    // Inserts every point in index order. `checkpoint` is called after every
    // `every` insertions with the number of points handled so far; when it
    // returns false the build stops and false is returned.
    template <class Checkpoint>
    bool build(int every, Checkpoint&& checkpoint) {
        if (!start()) return true;
        int handled = 0;
        for (int i = 0; i < count_; ++i) {
            if (i != seed_[0] && i != seed_[1] && i != seed_[2]) insert(i);
            if (++handled % every == 0 && !checkpoint(handled)) return false;
        }
        return true;
    }

    // Real triangles (ghosts left out), three vertex indices each, counter-clockwise.
    int triangleCount() const;
    template <class Visit>
    void forEachTriangle(Visit&& visit) const {
        for (std::size_t s = 0; s < vertices_.size(); s += 3)
            if (isReal(s)) visit(vertices_[s], vertices_[s + 1], vertices_[s + 2]);
    }

    // Frees the working arrays and returns the real triangles' vertex indices,
    // three per triangle; the builder is empty afterwards.
    std::vector<std::int32_t> takeTriangles();

    // Real triangles and, for each of their edges, the triangle across it or
    // -1 on the hull. For checks; the builder stays usable.
    void triangles(std::vector<std::int32_t>& vertices, std::vector<std::int32_t>& neighbours) const;

private:
    bool start();
    void insert(int p);
    int locate(int p);
    int scanForConflict(int p) const;
    bool inConflict(int slot, int p) const;
    bool isGhost(int slot) const { return vertices_[3 * static_cast<std::size_t>(slot) + 2] == infinite_; }
    bool isReal(std::size_t base) const { return vertices_[base] >= 0 && vertices_[base + 2] != infinite_; }
    void link(int edgeA, int edgeB) {
        twin_[static_cast<std::size_t>(edgeA)] = edgeB;
        twin_[static_cast<std::size_t>(edgeB)] = edgeA;
    }
    int addSlot();

    const double* x_;
    const double* y_;
    int count_;
    int infinite_;  // the vertex at infinity, one past the last point
    int seed_[3] = {-1, -1, -1};

    std::vector<std::int32_t> vertices_;  // per slot: three vertices; vertices_[3s] < 0 marks a free slot
    std::vector<std::int32_t> twin_;      // per edge id: the twin edge id
    std::vector<std::uint32_t> visit_;    // per slot: insertion stamp of the current cavity
    std::vector<std::int32_t> fanEdge_;   // per vertex: the new edge p -> vertex during one insertion
    std::uint32_t stamp_ = 0;
    int last_ = 0;  // a triangle of the previous insertion, where the next walk starts

    struct BoundaryEdge {
        std::int32_t from, to, outside;
    };
    std::vector<std::int32_t> stack_;
    std::vector<std::int32_t> cavity_;
    std::vector<BoundaryEdge> boundary_;
};

// An order of the points along a Hilbert curve over their bounding box, so
// that consecutive points are close together.
std::vector<std::int32_t> hilbertOrder(const double* x, const double* y, int count);

}  // namespace vellacor
