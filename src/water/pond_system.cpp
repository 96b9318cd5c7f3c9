#include "water/pond_system.h"

#include <algorithm>
#include <cmath>

#include "camera/vector_math.h"
#include "surface/tin_geometry.h"

namespace vellacor {

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

void PondSystem::Build(const SurfaceView& surface) {
    tree_ = findDepressions(surface);
    around_ = trianglesAroundPoints(surface);
    ponds_.clear();
    filled_.clear();
    holder_.assign(static_cast<std::size_t>(std::max(surface.triangleCount, 0)), -1);
    pondOf_.assign(tree_.depressions.size(), -1);
    lowPointMarks_.assign(static_cast<std::size_t>(std::max(surface.pointCount, 0)), 0);
    for (int d = 0; d < static_cast<int>(tree_.depressions.size()); ++d) {
        if (!tree_.childrenOf(d).empty()) continue;
        const int p = static_cast<int>(ponds_.size());
        Pond& pond = ponds_.emplace_back();
        pond.depression = d;
        pond.lowPoint = tree_.depressions[static_cast<std::size_t>(d)].bottom;
        pond.level = surface.point(pond.lowPoint).elevation;
        pondOf_[static_cast<std::size_t>(d)] = p;
        lowPointMarks_[static_cast<std::size_t>(pond.lowPoint)] = 1;
        floodTo(surface, p);
    }
}

int PondSystem::Count() const {
    return static_cast<int>(std::count_if(ponds_.begin(), ponds_.end(), [](const Pond& p) { return p.floodedCount() > 0; }));
}

bool PondSystem::IsLowPoint(int point) const {
    return point >= 0 && static_cast<std::size_t>(point) < lowPointMarks_.size() &&
           lowPointMarks_[static_cast<std::size_t>(point)] != 0;
}

// The water takes in the depression's points it has risen to, and their
// triangles; at the depression's spill level it stops.
void PondSystem::floodTo(const SurfaceView& surface, int p) {
    Pond& pond = ponds_[static_cast<std::size_t>(p)];
    const Depression& depression = tree_.depressions[static_cast<std::size_t>(pond.depression)];
    if (pond.level >= depression.spillLevel) {
        pond.level = depression.spillLevel;
        if (!pond.full) {
            pond.full = true;
            pond.spillPoint = depression.spillPoint;
            placeOverflow(surface, pond);
            filled_.push_back(p);
        }
    }
    const std::span<const std::int32_t> points = tree_.pointsOf(pond.depression);
    for (; pond.reached < points.size() && surface.point(points[pond.reached]).elevation <= pond.level; ++pond.reached)
        for (const std::int32_t t : around_.of(points[pond.reached])) {
            std::int32_t& holder = holder_[static_cast<std::size_t>(t)];
            if (holder == p) continue;
            holder = p;
            pond.floodedTriangles.push_back(t);
        }
}

// Where drops reaching a full pond run on: a step beyond the spill point
// away from the low point, on the triangle round the spill point that holds it.
void PondSystem::placeOverflow(const SurfaceView& surface, Pond& pond) const {
    pond.spillTriangle = kNoTriangle;
    if (pond.spillPoint < 0) return;
    const std::span<const std::int32_t> round = around_.of(pond.spillPoint);
    if (round.empty()) return;
    const SurveyPoint& spill = surface.point(pond.spillPoint);
    const SurveyPoint& low = surface.point(pond.lowPoint);
    const Vec3 u = normalise(Vec3{spill.easting - low.easting, spill.northing - low.northing,
                                  spill.elevation - low.elevation});
    const double x = spill.easting + 0.1 * u.x, y = spill.northing + 0.1 * u.y;
    pond.spillTriangle = round.front();
    for (const std::int32_t t : round)
        if (triangleContains(surface, t, x, y)) {
            pond.spillTriangle = t;
            break;
        }
    double z = planeElevation(surface, pond.spillTriangle, x, y);
    if (z == kVerticalPlane) z = spill.elevation;
    pond.overflow = {x, y, z};
}

void PondSystem::Rise(const SurfaceView& surface, int p, double siteSize) {
    Pond& pond = ponds_[static_cast<std::size_t>(p)];
    if (pond.floodedTriangles.empty() || pond.full) return;
    // A pond is drawn (and so measured) before it rises; an unmeasured one takes the smallest size.
    pond.level += std::max(0.002 * siteSize, 0.15) / std::max(pond.size, 10.0);
    floodTo(surface, p);
}

int PondSystem::pondUnder(int triangle, double z) const {
    if (triangle < 0 || static_cast<std::size_t>(triangle) >= holder_.size()) return -1;
    const std::int32_t p = holder_[static_cast<std::size_t>(triangle)];
    if (p < 0 || !(z <= ponds_[static_cast<std::size_t>(p)].level)) return -1;
    return p;
}

// The ponds of a depression's children, all full, become one pond filling it.
void PondSystem::join(const SurfaceView& surface, int depression) {
    const std::span<const std::int32_t> children = tree_.childrenOf(depression);
    int into = -1;
    for (const std::int32_t c : children) {
        const int p = pondOf_[static_cast<std::size_t>(c)];
        if (into < 0 || p < into) into = p;
    }
    Pond& kept = ponds_[static_cast<std::size_t>(into)];
    for (const std::int32_t c : children) {
        const int p = pondOf_[static_cast<std::size_t>(c)];
        pondOf_[static_cast<std::size_t>(c)] = -1;
        if (p == into) continue;
        Pond& joined = ponds_[static_cast<std::size_t>(p)];
        for (const std::int32_t t : joined.floodedTriangles) holder_[static_cast<std::size_t>(t)] = into;
        kept.floodedTriangles.insert(kept.floodedTriangles.end(), joined.floodedTriangles.begin(),
                                     joined.floodedTriangles.end());
        kept.level = std::max(kept.level, joined.level);
        lowPointMarks_[static_cast<std::size_t>(joined.lowPoint)] = 0;
        joined.floodedTriangles = {};
        joined.spillPoint = kNoPoint;
        joined.spillTriangle = kNoTriangle;
        joined.depression = -1;
    }
    lowPointMarks_[static_cast<std::size_t>(kept.lowPoint)] = 0;
    kept.lowPoint = tree_.depressions[static_cast<std::size_t>(depression)].bottom;
    lowPointMarks_[static_cast<std::size_t>(kept.lowPoint)] = 1;
    kept.depression = depression;
    kept.reached = 0;
    kept.full = false;
    kept.spillPoint = kNoPoint;
    kept.spillTriangle = kNoTriangle;
    pondOf_[static_cast<std::size_t>(depression)] = into;
    floodTo(surface, into);
}

void PondSystem::mergePass(const SurfaceView& surface) {
    // A join can fill the joined pond at once (ponds meeting where their
    // water runs off), so the pass goes on until nothing more fills.
    while (!filled_.empty()) {
        const std::vector<int> filled = std::move(filled_);
        filled_.clear();
        for (const int p : filled) {
            const Pond& pond = ponds_[static_cast<std::size_t>(p)];
            if (!pond.full || pond.depression < 0) continue;
            const std::int32_t parent = tree_.depressions[static_cast<std::size_t>(pond.depression)].parent;
            if (parent < 0) continue;
            const auto children = tree_.childrenOf(parent);
            const bool allFull = std::all_of(children.begin(), children.end(), [this](std::int32_t c) {
                const int q = pondOf_[static_cast<std::size_t>(c)];
                return q >= 0 && ponds_[static_cast<std::size_t>(q)].full;
            });
            if (allFull) join(surface, parent);
        }
    }
}

}  // namespace vellacor
