#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "system/page_advice.h"

namespace vellacor {

// Incremental Delaunay triangulation of distinct plan points (Bowyer-Watson).
//
// The mesh is kept as one flat array of triangle slots: three vertices and,
// per edge, the id (4 * slot + edge) of the same edge seen from the triangle
// across it, so one cache line holds all a walk or a cavity needs of a slot. The outside of the hull is covered by
// "ghost" triangles whose third vertex is a vertex at infinity, so a point beyond the hull is inserted exactly like one
// inside: it conflicts with the ghosts of the hull edges it sees. A triangle is in conflict with a new point when the
// point lies inside or on its circumcircle; for a ghost, when the point lies strictly beyond its hull edge or on the
// open edge itself.
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

    // The memory the build will fill, reserved when the builder was made:
    // prefaultPages on it from another thread saves the build its page faults.
    std::pair<void*, std::size_t> reservedStorage() {
        return {slots_.data(), slots_.capacity() * sizeof(Slot)};
    }

    // Real triangles (ghosts left out), three vertex indices each, counter-clockwise.
    int triangleCount() const;
    template <class Visit>
    void forEachTriangle(Visit&& visit) const {
        for (const Slot& s : slots_)
            if (isReal(s)) visit(s.vertex[0], s.vertex[1], s.vertex[2]);
    }

    // Numbers the real triangles in slot order and returns how many there
    // are; the numbering holds until the mesh changes.
    int numberTriangles();
    // The slot that holds real triangle `number` after numberTriangles(), or
    // the slot count for the triangle count: where to split the slots into
    // ranges of whole numbers.
    std::size_t slotOfNumber(int number) const;
    std::size_t slotCount() const { return slots_.size(); }
    // Replaces the edge links of the numbered triangles in slots [from, to)
    // with the numbers of the triangles across them (-1 on the hull), so
    // that each slot holds all a conversion needs of it and its memory can be
    // given back once read. Reads only other slots' numbers, so two ranges
    // may be linked at once. The mesh cannot be built on or walked afterwards.
    void linkNumbers(std::size_t from, std::size_t to);
    // Calls visit(number, vertices, across) for each numbered triangle in
    // slots [from, to) after linkNumbers.
    template <class Visit>
    void forEachLinkedTriangle(std::size_t from, std::size_t to, Visit&& visit) const {
        for (std::size_t i = from; i < to; ++i) {
            const Slot& s = slots_[i];
            if (s.visitOrNumber >= 0) visit(s.visitOrNumber, s.vertex, s.twin);
        }
    }
    // Gives the memory of slots [from, to) back to the system after their
    // last reading; slotOfNumber must not be asked about them afterwards.
    void discardSlots(std::size_t from, std::size_t to) {
        discardPages(slots_.data() + from, (to - from) * sizeof(Slot));
    }
    // Frees the working arrays; the builder is empty afterwards.
    void release();

    // Real triangles and, for each of their edges, the triangle across it or
    // -1 on the hull. For checks; the builder stays usable.
    void triangles(std::vector<std::int32_t>& vertices, std::vector<std::int32_t>& neighbours) const;

private:
    struct Slot {
        std::int32_t vertex[3];  // vertex[0] < 0 marks a free slot
        std::int32_t twin[3];    // per edge: the twin edge id
        // While points are inserted, the insertion stamp of the current
        // cavity; once numberTriangles() has run, the real triangle's number,
        // -1 for others. One field for both keeps a slot at 28 bytes instead
        // of 32: 0.8 GB less on a surface of 100 million points.
        std::int32_t visitOrNumber;
    };

    bool start();
    void insert(int p);
    int locate(int p);
    int scanForConflict(int p) const;
    bool inConflict(int slot, int p) const;
    bool isGhost(int slot) const { return slots_[static_cast<std::size_t>(slot)].vertex[2] == infinite_; }
    bool isReal(const Slot& s) const { return s.vertex[0] >= 0 && s.vertex[2] != infinite_; }
    std::int32_t& twinOf(int edge) { return slots_[static_cast<std::size_t>(edge >> 2)].twin[edge & 3]; }
    void link(int edgeA, int edgeB) {
        twinOf(edgeA) = edgeB;
        twinOf(edgeB) = edgeA;
    }
    int addSlot();

    const double* x_;
    const double* y_;
    int count_;
    int infinite_;  // the vertex at infinity, one past the last point
    int seed_[3] = {-1, -1, -1};

    std::vector<Slot> slots_;
    // The new edges p -> vertex of one insertion, by the boundary's vertex,
    // stamped with the insertion's stamp_ (see roomForFanEdges).
    struct FanEdge {
        std::int32_t vertex = -1, edge = -1;
        std::int32_t stamp = 0;
    };
    std::vector<FanEdge> fanEdges_;  // a power of two long
    void roomForFanEdges(std::size_t boundarySize);
    void setFanEdge(std::int32_t vertex, std::int32_t edge);
    std::int32_t fanEdge(std::int32_t vertex) const;
    std::int32_t stamp_ = 0;
    int last_ = 0;  // a triangle of the previous insertion, where the next walk starts

    struct BoundaryEdge {
        std::int32_t from, to, outside;
    };
    std::vector<std::int32_t> stack_;
    std::vector<std::int32_t> cavity_;
    std::vector<BoundaryEdge> boundary_;
};

// Position along a Hilbert curve filling a 65536 x 65536 grid.
std::uint32_t hilbertIndex(std::uint32_t x, std::uint32_t y);

// The indices in the low halves of `keys`, ordered by the high halves (stable).
std::vector<std::int32_t> orderByHighHalf(std::vector<std::uint64_t>& keys);

// An order of points along a Hilbert curve over their bounding box, so that
// consecutive points are close together. `position(i)` gives point i's plan
// position as a pair (x, y).
template <class Position>
std::vector<std::int32_t> hilbertOrder(int count, Position&& position) {
    if (count <= 0) return {};
    auto [minX, minY] = position(0);
    double maxX = minX, maxY = minY;
    for (int i = 1; i < count; ++i) {
        const auto [x, y] = position(i);
        minX = x < minX ? x : minX;
        maxX = x > maxX ? x : maxX;
        minY = y < minY ? y : minY;
        maxY = y > maxY ? y : maxY;
    }
    const double span = maxX - minX > maxY - minY ? maxX - minX : maxY - minY;
    const double scale = span > 0.0 ? 65535.0 / span : 0.0;
    auto cell = [&](double v, double lo) {
        const double q = (v - lo) * scale;
        return static_cast<std::uint32_t>(q < 0.0 ? 0.0 : q > 65535.0 ? 65535.0 : q);
    };
    std::vector<std::uint64_t> keys;
    keys.reserve(static_cast<std::size_t>(count));
    keys.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto [x, y] = position(i);
        keys[static_cast<std::size_t>(i)] =
            (static_cast<std::uint64_t>(hilbertIndex(cell(x, minX), cell(y, minY))) << 32) |
            static_cast<std::uint32_t>(i);
    }
    return orderByHighHalf(keys);
}

inline std::vector<std::int32_t> hilbertOrder(const double* x, const double* y, int count) {
    return hilbertOrder(count, [&](int i) { return std::pair<double, double>(x[i], y[i]); });
}

}  // namespace vellacor
