#include "surface/plan_delaunay.h"

#include <algorithm>
#include <array>
#include <limits>

#include "surface/predicates.h"

namespace vellacor {

PlanDelaunay::PlanDelaunay(const double* x, const double* y, int count)
    : x_(x), y_(y), count_(count), infinite_(count) {
    // A closed surface of n points and the vertex at infinity has 2n - 2 triangles.
    if (count_ >= 3) slots_.reserve(2 * static_cast<std::size_t>(count_));
}

// The first triangle: points 0 and 1 and the first point not on their line.
// Points on that line before it are inserted later like any other.
bool PlanDelaunay::start() {
    if (count_ < 3) return false;
    int third = -1;
    for (int i = 2; i < count_ && third < 0; ++i)
        if (orient2d(x_[0], y_[0], x_[1], y_[1], x_[i], y_[i]) != 0.0) third = i;
    if (third < 0) return false;  // all on one line: no triangle at all

    int a = 0, b = 1, c = third;
    if (orient2d(x_[a], y_[a], x_[b], y_[b], x_[c], y_[c]) < 0.0) std::swap(b, c);
    // Slot 0 is the triangle; slots 1, 2, 3 are the ghosts of its edges a-b, b-c, c-a.
    slots_.assign(4, Slot{{0, 0, 0}, {-1, -1, -1}, 0});
    const std::int32_t corners[4][3] = {{a, b, c}, {b, a, infinite_}, {c, b, infinite_}, {a, c, infinite_}};
    for (std::size_t s = 0; s < 4; ++s)
        for (std::size_t k = 0; k < 3; ++k) slots_[s].vertex[k] = corners[s][k];
    link(0, 4);    // a-b
    link(1, 8);    // b-c
    link(2, 12);   // c-a
    link(5, 14);   // a-infinity
    link(6, 9);    // infinity-b
    link(10, 13);  // infinity-c
    seed_[0] = 0;
    seed_[1] = 1;
    seed_[2] = third;
    last_ = 0;
    return true;
}

int PlanDelaunay::addSlot() {
    slots_.push_back(Slot{{0, 0, 0}, {-1, -1, -1}, 0});
    return static_cast<int>(slots_.size()) - 1;
}

bool PlanDelaunay::inConflict(int slot, int p) const {
    const std::int32_t* v = slots_[static_cast<std::size_t>(slot)].vertex;
    const double px = x_[p], py = y_[p];
    if (v[2] == infinite_) {
        // Ghost of the hull edge v[1] -> v[0]: conflict when p lies strictly
        // outside that edge, or on the open edge between its ends.
        const double side = orient2d(x_[v[0]], y_[v[0]], x_[v[1]], y_[v[1]], px, py);
        if (side != 0.0) return side > 0.0;
        if (x_[v[0]] != x_[v[1]]) return std::min(x_[v[0]], x_[v[1]]) < px && px < std::max(x_[v[0]], x_[v[1]]);
        return std::min(y_[v[0]], y_[v[1]]) < py && py < std::max(y_[v[0]], y_[v[1]]);
    }
    return incircle(x_[v[0]], y_[v[0]], x_[v[1]], y_[v[1]], x_[v[2]], y_[v[2]], px, py) >= 0.0;
}

// Visibility walk from the last insertion: cross any edge that has p strictly
// on its far side. In a Delaunay triangulation this walk cannot cycle. It ends
// in the real triangle holding p or in the ghost of a hull edge that p sees;
// both are in conflict with p.
int PlanDelaunay::locate(int p) {
    const double px = x_[p], py = y_[p];
    int t = last_;
    if (isGhost(t)) {
        if (inConflict(t, p)) return t;
        t = slots_[static_cast<std::size_t>(t)].twin[0] >> 2;
    }
    int entry = -1;
    const std::size_t limit = slots_.size() + 16;
    for (std::size_t steps = 0; steps < limit; ++steps) {
        const Slot& slot = slots_[static_cast<std::size_t>(t)];
        int exit = -1;
        for (int k = 0; k < 3 && exit < 0; ++k) {
            if (4 * t + k == entry) continue;  // p is on our side of the edge we came through
            const int a = slot.vertex[k], b = slot.vertex[(k + 1) % 3];
            if (orient2d(x_[a], y_[a], x_[b], y_[b], px, py) < 0.0) exit = k;
        }
        if (exit < 0) return t;
        entry = slot.twin[exit];
        t = entry >> 2;
        if (isGhost(t)) return t;
    }
    return scanForConflict(p);  // never expected; a safety net rather than a hang
}

int PlanDelaunay::scanForConflict(int p) const {
    for (std::size_t s = 0; s < slots_.size(); ++s)
        if (slots_[s].vertex[0] >= 0 && inConflict(static_cast<int>(s), p)) return static_cast<int>(s);
    return last_;
}

void PlanDelaunay::insert(int p) {
    const int first = locate(p);
    if (++stamp_ == std::numeric_limits<std::int32_t>::max()) {  // the stamp wrapped: forget every old cavity
        for (Slot& s : slots_) s.visitOrNumber = 0;
        std::fill(fanEdges_.begin(), fanEdges_.end(), FanEdge{});
        stamp_ = 1;
    }
    stack_.clear();
    cavity_.clear();
    boundary_.clear();

    // The cavity: every triangle in conflict with p, grown across edges. It is
    // star-shaped from p, so its boundary is one cycle of edges that p sees.
    slots_[static_cast<std::size_t>(first)].visitOrNumber = stamp_;
    stack_.push_back(first);
    while (!stack_.empty()) {
        const int t = stack_.back();
        stack_.pop_back();
        cavity_.push_back(t);
        for (int k = 0; k < 3; ++k) {
            const Slot& slot = slots_[static_cast<std::size_t>(t)];
            const int outside = slot.twin[k];
            const int across = outside >> 2;
            Slot& neighbour = slots_[static_cast<std::size_t>(across)];
            if (neighbour.visitOrNumber == stamp_) continue;
            if (inConflict(across, p)) {
                neighbour.visitOrNumber = stamp_;
                stack_.push_back(across);
            } else {
                boundary_.push_back({slot.vertex[k], slot.vertex[(k + 1) % 3], outside});
            }
        }
    }

    // One new triangle (p, from, to) per boundary edge, in the cavity's slots
    // first. Ghosts keep the vertex at infinity last, which rotates their
    // edges by one place.
    roomForFanEdges(boundary_.size());
    for (std::size_t i = 0; i < boundary_.size(); ++i) {
        const int slot = i < cavity_.size() ? cavity_[i] : addSlot();
        BoundaryEdge& edge = boundary_[i];
        std::int32_t* v = slots_[static_cast<std::size_t>(slot)].vertex;
        int rotation = 0;
        if (edge.from == infinite_) {
            v[0] = edge.to;
            v[1] = p;
            v[2] = infinite_;
            rotation = 1;
        } else {
            v[0] = p;
            v[1] = edge.from;
            v[2] = edge.to;
        }
        link(4 * slot + (1 + rotation) % 3, edge.outside);
        setFanEdge(edge.from, 4 * slot + rotation);    // p -> from
        edge.outside = 4 * slot + (2 + rotation) % 3;  // now: to -> p
    }
    for (const BoundaryEdge& edge : boundary_) link(edge.outside, fanEdge(edge.to));
    for (std::size_t i = boundary_.size(); i < cavity_.size(); ++i)
        slots_[static_cast<std::size_t>(cavity_[i])].vertex[0] = -1;  // only if p swallowed a vertex
    last_ = boundary_.front().outside >> 2;
}

// A cavity's boundary has six edges or so, around vertices numbered close
// together: their fan edges go in a small table by the vertex's low bits. An
// entry counts only for the insertion whose stamp it carries, so nothing is
// cleared between insertions. A list over every point would be 400 MB at
// 100 million.
void PlanDelaunay::roomForFanEdges(std::size_t boundarySize) {
    std::size_t size = std::max<std::size_t>(fanEdges_.size(), 64);
    while (size < 4 * boundarySize) size *= 2;
    if (size != fanEdges_.size()) fanEdges_.assign(size, FanEdge{});
}

void PlanDelaunay::setFanEdge(std::int32_t vertex, std::int32_t edge) {
    const std::size_t mask = fanEdges_.size() - 1;
    std::size_t at = static_cast<std::size_t>(vertex) & mask;
    while (fanEdges_[at].stamp == stamp_ && fanEdges_[at].vertex != vertex) at = (at + 1) & mask;
    fanEdges_[at] = {vertex, edge, stamp_};
}

std::int32_t PlanDelaunay::fanEdge(std::int32_t vertex) const {
    const std::size_t mask = fanEdges_.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(vertex) & mask; fanEdges_[at].stamp == stamp_; at = (at + 1) & mask)
        if (fanEdges_[at].vertex == vertex) return fanEdges_[at].edge;
    return -1;
}

int PlanDelaunay::triangleCount() const {
    int n = 0;
    for (const Slot& s : slots_) n += isReal(s) ? 1 : 0;
    return n;
}

int PlanDelaunay::numberTriangles() {
    std::int32_t count = 0;
    for (Slot& s : slots_) s.visitOrNumber = isReal(s) ? count++ : -1;
    return count;
}

std::size_t PlanDelaunay::slotOfNumber(int number) const {
    // Numbers grow with the slots: a binary search over the slots, skipping
    // the unnumbered ones by looking right for the next numbered slot.
    std::size_t low = 0, high = slots_.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        std::size_t probe = middle;
        while (probe < high && slots_[probe].visitOrNumber < 0) ++probe;
        if (probe == high) {
            high = middle;
        } else if (slots_[probe].visitOrNumber < number) {
            low = probe + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

void PlanDelaunay::linkNumbers(std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        Slot& s = slots_[i];
        if (s.visitOrNumber < 0) continue;
        for (std::int32_t& edge : s.twin) edge = slots_[static_cast<std::size_t>(edge >> 2)].visitOrNumber;
    }
}

void PlanDelaunay::release() {
    std::vector<Slot>().swap(slots_);
    std::vector<FanEdge>().swap(fanEdges_);
    std::vector<std::int32_t>().swap(stack_);
    std::vector<std::int32_t>().swap(cavity_);
    std::vector<BoundaryEdge>().swap(boundary_);
}

void PlanDelaunay::triangles(std::vector<std::int32_t>& vertices, std::vector<std::int32_t>& neighbours) const {
    std::vector<std::int32_t> index(slots_.size(), -1);
    int n = 0;
    for (std::size_t s = 0; s < slots_.size(); ++s)
        if (isReal(slots_[s])) index[s] = n++;
    vertices.clear();
    neighbours.clear();
    for (const Slot& s : slots_) {
        if (!isReal(s)) continue;
        for (std::size_t k = 0; k < 3; ++k) {
            vertices.push_back(s.vertex[k]);
            neighbours.push_back(index[static_cast<std::size_t>(s.twin[k] >> 2)]);
        }
    }
}

// Level by level from the top, without branches (the bits are as good as random).
std::uint32_t hilbertIndex(std::uint32_t x, std::uint32_t y) {
    constexpr std::uint32_t kMask = 0xFFFFu;
    std::uint32_t d = 0;
    for (int level = 15; level >= 0; --level) {
        const std::uint32_t rx = (x >> level) & 1u;
        const std::uint32_t ry = (y >> level) & 1u;
        d |= ((3u * rx) ^ ry) << (2 * level);
        // Rotate the quadrant so the curve stays continuous: mirror when
        // rx && !ry, then swap x and y when !ry.
        const std::uint32_t mirror = (0u - (rx & (ry ^ 1u))) & kMask;
        x ^= mirror;
        y ^= mirror;
        const std::uint32_t swap = (x ^ y) & (0u - (ry ^ 1u));
        x ^= swap;
        y ^= swap;
    }
    return d;
}

std::vector<std::int32_t> orderByHighHalf(std::vector<std::uint64_t>& keys) {
    std::vector<std::uint64_t> sorted;
    sorted.reserve(keys.size());
    sorted.resize(keys.size());
    for (int shift = 32; shift < 64; shift += 8) {
        std::array<std::size_t, 257> start{};
        for (std::uint64_t k : keys) ++start[((k >> shift) & 0xFF) + 1];
        for (std::size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
        for (std::uint64_t k : keys) sorted[start[(k >> shift) & 0xFF]++] = k;
        keys.swap(sorted);
    }
    std::vector<std::int32_t> order;
    order.reserve(keys.size());
    order.resize(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) order[i] = static_cast<std::int32_t>(keys[i] & 0xFFFFFFFFu);
    return order;
}

}  // namespace vellacor
