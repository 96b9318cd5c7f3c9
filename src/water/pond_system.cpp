#include "water/pond_system.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace vellacor {

namespace {

double elevationOf(const SurfaceView& s, int point) { return s.point(point).elevation; }

double edgeThreshold(const SurfaceView& s, const TinTriangle& t, int k) {
    return std::min(elevationOf(s, t.vertex[k]), elevationOf(s, t.vertex[(k + 1) % 3]));
}

// A heap on the lowest threshold first.
bool higherThreshold(const ShoreEdge& a, const ShoreEdge& b) { return a.threshold > b.threshold; }

// Level: its three corners within 0.001 of the first.
bool isLevelTriangle(const SurfaceView& s, const TinTriangle& t) {
    const double e0 = elevationOf(s, t.vertex[0]);
    return std::fabs(elevationOf(s, t.vertex[1]) - e0) < 0.001 && std::fabs(elevationOf(s, t.vertex[2]) - e0) < 0.001;
}

// The slot of u whose edge is shared with triangle t, or -1.
int sharedSlot(const TinTriangle& u, int t) {
    for (int j = 0; j < 3; ++j)
        if (u.neighbour[j] == t) return j;
    return -1;
}

}  // namespace

PointTriangles trianglesAroundPoints(const SurfaceView& surface) {
    PointTriangles result;
    const auto points = static_cast<std::size_t>(std::max(surface.pointCount, 0));
    result.offsets.assign(points + 1, 0);
    for (int t = 0; t < surface.triangleCount; ++t)
        for (const std::int32_t v : surface.triangle(t).vertex)
            if (v >= 0 && static_cast<std::size_t>(v) < points) ++result.offsets[static_cast<std::size_t>(v) + 1];
    for (std::size_t i = 0; i < points; ++i) result.offsets[i + 1] += result.offsets[i];
    result.triangles.resize(static_cast<std::size_t>(result.offsets[points]));
    std::vector<std::int32_t> next(result.offsets.begin(), result.offsets.end() - 1);
    for (int t = 0; t < surface.triangleCount; ++t)
        for (const std::int32_t v : surface.triangle(t).vertex)
            if (v >= 0 && static_cast<std::size_t>(v) < points)
                result.triangles[static_cast<std::size_t>(next[static_cast<std::size_t>(v)]++)] = t;
    return result;
}

bool isLowPoint(const SurfaceView& surface, int i, std::span<const std::int32_t> trianglesOfPoint) {
    // A point on no triangle is no low point: no water can stand there.
    if (trianglesOfPoint.empty()) return false;
    const double z = elevationOf(surface, i);
    for (const std::int32_t t : trianglesOfPoint) {
        const TinTriangle& tri = surface.triangle(t);
        for (int k = 0; k < 3; ++k) {
            if (tri.vertex[k] == i) {
                // The edges leaving and reaching i.
                if (tri.neighbour[k] == kNoTriangle || tri.neighbour[(k + 2) % 3] == kNoTriangle) return false;
            } else if (elevationOf(surface, tri.vertex[k]) < z) {
                return false;
            }
        }
    }
    return true;
}

void PondSystem::Build(const SurfaceView& surface) {
    ponds_.clear();
    extraHolders_.clear();
    holder_.assign(static_cast<std::size_t>(std::max(surface.triangleCount, 0)), -1);
    lowPointMarks_.assign(static_cast<std::size_t>(std::max(surface.pointCount, 0)), 0);
    const PointTriangles around = trianglesAroundPoints(surface);
    for (int i = 0; i < surface.pointCount; ++i) {
        if (!surface.point(i).useInSurface || !isLowPoint(surface, i, around.of(i))) continue;
        const int p = static_cast<int>(ponds_.size());
        Pond& pond = ponds_.emplace_back();
        pond.lowPoint = i;
        pond.level = elevationOf(surface, i);
        lowPointMarks_[static_cast<std::size_t>(i)] = 1;
        for (const std::int32_t t : around.of(i)) Flood(surface, p, t);
    }
}

int PondSystem::Count() const {
    return static_cast<int>(std::count_if(ponds_.begin(), ponds_.end(), [](const Pond& p) { return p.floodedCount() > 0; }));
}

bool PondSystem::IsLowPoint(int point) const {
    return point >= 0 && static_cast<std::size_t>(point) < lowPointMarks_.size() &&
           lowPointMarks_[static_cast<std::size_t>(point)] != 0;
}

bool PondSystem::Holds(int triangle, int p) const {
    const std::int32_t first = holder_[static_cast<std::size_t>(triangle)];
    if (first == p) return true;
    if (first < 0) return false;
    const auto [b, e] = extraHolders_.equal_range(triangle);
    return std::any_of(b, e, [p](const auto& entry) { return entry.second == p; });
}

void PondSystem::AddHolder(int triangle, int p) {
    std::int32_t& first = holder_[static_cast<std::size_t>(triangle)];
    if (first < 0)
        first = p;
    else
        extraHolders_.emplace(triangle, p);
}

void PondSystem::RemoveHolder(int triangle, int p) {
    std::int32_t& first = holder_[static_cast<std::size_t>(triangle)];
    const auto [b, e] = extraHolders_.equal_range(triangle);
    if (first == p) {
        if (b == e) {
            first = -1;
        } else {
            first = b->second;
            extraHolders_.erase(b);
        }
        return;
    }
    for (auto it = b; it != e; ++it)
        if (it->second == p) {
            extraHolders_.erase(it);
            return;
        }
}

template <class Visit>
void PondSystem::ForEachHolder(int triangle, Visit visit) const {
    const std::int32_t first = holder_[static_cast<std::size_t>(triangle)];
    if (first < 0) return;
    visit(first);
    const auto [b, e] = extraHolders_.equal_range(triangle);
    for (auto it = b; it != e; ++it) visit(it->second);
}

void PondSystem::PushShore(const SurfaceView& surface, int p, int triangle) {
    Pond& pond = ponds_[static_cast<std::size_t>(p)];
    const TinTriangle& t = surface.triangle(triangle);
    for (int k = 0; k < 3; ++k) {
        const std::int32_t across = t.neighbour[k];
        if (across != kNoTriangle && Holds(across, p)) continue;
        pond.shore.push_back({edgeThreshold(surface, t, k), triangle, k});
        std::push_heap(pond.shore.begin(), pond.shore.end(), higherThreshold);
    }
}

void PondSystem::Flood(const SurfaceView& surface, int p, int triangle) {
    Pond& pond = ponds_[static_cast<std::size_t>(p)];
    pond.floodedTriangles.push_back(triangle);
    if (++pond.newTriangles == 1) changed_.push_back(p);
    AddHolder(triangle, p);
    PushShore(surface, p, triangle);
}

void PondSystem::SetSpill(Pond& pond, int point, int triangle, const ShoreEdge& edge) {
    pond.spills.push_back(edge);
    // The lowest spill found in a rise is where the water leaves.
    if (pond.full) return;
    changed_.push_back(static_cast<int>(&pond - ponds_.data()));
    pond.full = true;
    pond.spillPoint = point;
    pond.spillTriangle = triangle;
}

// Every shore edge below the level, lowest first: the water floods the
// triangle across when the ground there rises from the edge (or is level),
// and spills when it falls away or the edge is the surface's outer edge.
// A triangle that falls away from one edge may be reached over another
// edge of the same rise (ties of equal elevation on regular grids come in
// any order); it spills only if the water has not reached it by the end.
void PondSystem::CrossShore(const SurfaceView& surface, int p) {
    struct FallingAway {
        int point;
        int triangle;
        ShoreEdge edge;
    };
    std::vector<FallingAway> fallingAway;
    for (;;) {
        Pond& pond = ponds_[static_cast<std::size_t>(p)];
        if (pond.shore.empty() || !(pond.shore.front().threshold < pond.level)) break;
        std::pop_heap(pond.shore.begin(), pond.shore.end(), higherThreshold);
        const ShoreEdge edge = pond.shore.back();
        pond.shore.pop_back();
        const TinTriangle& t = surface.triangle(edge.triangle);
        const std::int32_t across = t.neighbour[edge.edge];
        if (across == kNoTriangle) {
            // Out over the edge of the surface, at the lower end of the edge.
            const int a = t.vertex[edge.edge], b = t.vertex[(edge.edge + 1) % 3];
            SetSpill(pond, elevationOf(surface, b) < elevationOf(surface, a) ? b : a, edge.triangle, edge);
            continue;
        }
        if (Holds(across, p)) continue;
        const TinTriangle& u = surface.triangle(across);
        const int j = sharedSlot(u, edge.triangle);
        if (j < 0) continue;  // one-sided link: nothing to cross into
        const int v1 = u.vertex[j], v2 = u.vertex[(j + 1) % 3];
        const double e1 = elevationOf(surface, v1), e2 = elevationOf(surface, v2);
        const double e3 = elevationOf(surface, u.vertex[(j + 2) % 3]);
        const double m = std::min(e1, e2);
        if (isLevelTriangle(surface, u) || e3 > m)
            Flood(surface, p, across);
        else
            fallingAway.push_back({e1 < e2 ? v1 : v2, across, edge});
    }
    Pond& pond = ponds_[static_cast<std::size_t>(p)];
    for (const FallingAway& f : fallingAway)
        if (!Holds(f.triangle, p)) SetSpill(pond, f.point, f.triangle, f.edge);
}

void PondSystem::Rise(const SurfaceView& surface, int p, double siteSize) {
    Pond& pond = ponds_[static_cast<std::size_t>(p)];
    if (pond.floodedTriangles.empty()) return;
    // A pond is drawn (and so measured) before it rises; an unmeasured one takes the smallest size.
    pond.level += std::max(0.002 * siteSize, 0.15) / std::max(pond.size, 10.0);
    CrossShore(surface, p);
}

void PondSystem::RiseToNextEdge(const SurfaceView& surface, int p) {
    Pond& pond = ponds_[static_cast<std::size_t>(p)];
    if (pond.floodedTriangles.empty() || pond.full) return;
    if (pond.shore.empty()) {
        // Nothing left to reach: the pond covers everything it can.
        pond.full = true;
        return;
    }
    pond.level = std::max(pond.level, std::nextafter(pond.shore.front().threshold, HUGE_VAL));
    CrossShore(surface, p);
}

int PondSystem::PondUnder(int triangle, double z) const {
    if (triangle < 0 || static_cast<std::size_t>(triangle) >= holder_.size()) return -1;
    int found = -1;
    ForEachHolder(triangle, [&](int p) {
        if (found < 0 && z <= ponds_[static_cast<std::size_t>(p)].level) found = p;
    });
    return found;
}

void PondSystem::Empty(int p) {
    Pond& pond = ponds_[static_cast<std::size_t>(p)];
    for (const std::int32_t t : pond.floodedTriangles) RemoveHolder(t, p);
    pond.floodedTriangles = {};
    pond.shore = {};
    pond.spills = {};
    pond.full = true;
    pond.spillPoint = kNoPoint;
    pond.newTriangles = 0;
}

void PondSystem::Absorb(int into, int from) {
    Pond& a = ponds_[static_cast<std::size_t>(into)];
    Pond& b = ponds_[static_cast<std::size_t>(from)];
    for (const std::int32_t t : b.floodedTriangles)
        if (!Holds(t, into)) {
            a.floodedTriangles.push_back(t);
            AddHolder(t, into);
        }
    // Both shores, and the edges where either spilled, which the joined pond meets again as it rises.
    a.shore.insert(a.shore.end(), b.shore.begin(), b.shore.end());
    a.shore.insert(a.shore.end(), a.spills.begin(), a.spills.end());
    a.shore.insert(a.shore.end(), b.spills.begin(), b.spills.end());
    a.spills.clear();
    std::make_heap(a.shore.begin(), a.shore.end(), higherThreshold);
    a.lowPoint = std::min(a.lowPoint, b.lowPoint);
    a.full = false;
    reopened_.push_back(into);
    Empty(from);
}

void PondSystem::MergePass() {
    std::sort(changed_.begin(), changed_.end());
    changed_.erase(std::unique(changed_.begin(), changed_.end()), changed_.end());
    const std::vector<int> changed = std::move(changed_);
    changed_.clear();
    reopened_.clear();
    bool marksChanged = false;
    // Full ponds meeting at one spill point join, the first keeping the water.
    for (const int j : changed) {
        const Pond& pond = ponds_[static_cast<std::size_t>(j)];
        if (!pond.full || pond.spillPoint == kNoPoint || pond.floodedTriangles.empty()) continue;
        const auto [it, first] = fullAtSpill_.emplace(pond.spillPoint, j);
        if (first || it->second == j) continue;
        const Pond& waiting = ponds_[static_cast<std::size_t>(it->second)];
        if (!waiting.full || waiting.spillPoint != pond.spillPoint || waiting.floodedTriangles.empty()) {
            it->second = j;  // the one that waited there has moved on
            continue;
        }
        const int into = std::min(it->second, j), from = std::max(it->second, j);
        fullAtSpill_.erase(it);
        Absorb(into, from);
        marksChanged = true;
    }
    // A pond that flooded triangles of others swallows them.
    for (const int i : changed) {
        Pond& pond = ponds_[static_cast<std::size_t>(i)];
        if (pond.newTriangles <= 0) continue;
        const std::size_t count = pond.floodedTriangles.size();
        const std::size_t fresh = std::min(count, static_cast<std::size_t>(pond.newTriangles));
        std::vector<int> swallowed;
        for (std::size_t k = count - fresh; k < count; ++k)
            ForEachHolder(pond.floodedTriangles[k], [&](int other) {
                if (other != i) swallowed.push_back(other);
            });
        for (const int other : swallowed)
            if (!ponds_[static_cast<std::size_t>(other)].floodedTriangles.empty()) {
                Empty(other);
                marksChanged = true;
            }
        ponds_[static_cast<std::size_t>(i)].newTriangles = 0;
    }
    // The low-point notes follow the ponds that hold water.
    if (!marksChanged) return;
    std::fill(lowPointMarks_.begin(), lowPointMarks_.end(), 0);
    for (const Pond& pond : ponds_)
        if (!pond.floodedTriangles.empty() && pond.lowPoint >= 0 &&
            static_cast<std::size_t>(pond.lowPoint) < lowPointMarks_.size())
            lowPointMarks_[static_cast<std::size_t>(pond.lowPoint)] = 1;
}

std::vector<int> PondSystem::TakeReopened() {
    std::vector<int> result = std::move(reopened_);
    reopened_.clear();
    return result;
}

}  // namespace vellacor
