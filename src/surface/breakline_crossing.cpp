#include "surface/breakline_crossing.h"

#include <algorithm>
#include <cmath>

#include "surface/duplicate_points.h"
#include "surface/predicates.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

bool usable(const SurveyPoint& p) { return isUsableCoordinate(p.easting) && isUsableCoordinate(p.northing); }

bool samePosition(const SurveyPoint& p, const SurveyPoint& q) {
    return std::fabs(p.easting - q.easting) < kSamePosition && std::fabs(p.northing - q.northing) < kSamePosition;
}

double orient(const SurveyPoint& p, const SurveyPoint& q, const SurveyPoint& r) {
    return orient2d(p.easting, p.northing, q.easting, q.northing, r.easting, r.northing);
}

bool opposite(double s, double t) { return (s > 0 && t < 0) || (s < 0 && t > 0); }

std::uint64_t pairKey(int a, int b) {
    const auto low = static_cast<std::uint32_t>(std::min(a, b)), high = static_cast<std::uint32_t>(std::max(a, b));
    return (static_cast<std::uint64_t>(low) << 32) | high;
}

std::uint64_t cellKey(std::int64_t column, std::int64_t row) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(column)) << 32) |
           static_cast<std::uint32_t>(row);
}

}  // namespace

bool breaklinesCross(const SurfaceView& surface, int a, int b, int c, int d) {
    if (segmentsCross(surface, a, b, c, d)) return true;
    if (a == c || a == d || b == c || b == d) return false;
    const SurveyPoint &pa = surface.point(a), &pb = surface.point(b), &pc = surface.point(c), &pd = surface.point(d);
    if (!usable(pa) || !usable(pb) || !usable(pc) || !usable(pd)) return false;
    // Ends at one position become one point of the surface: the breaklines meet there.
    if (samePosition(pa, pc) || samePosition(pa, pd) || samePosition(pb, pc) || samePosition(pb, pd)) return false;
    // Each splits the other strictly: an exact test, so a crossing a hair
    // from an end is found, and a touch or an overlap never counts.
    return opposite(orient(pa, pb, pc), orient(pa, pb, pd)) && opposite(orient(pc, pd, pa), orient(pc, pd, pb));
}

BreaklineCrossingIndex::BreaklineCrossingIndex(const SurfaceView& surface, std::span<const Breakline> listed,
                                               std::size_t expectedAdditions)
    : surface_(surface) {
    // Cells sized so that the breaklines, spread over the points' extent,
    // put about one in each cell. O(points) once.
    double minE = 0, maxE = 0, minN = 0, maxN = 0, largest = 0;
    bool any = false;
    for (int i = 0; i < surface.pointCount; ++i) {
        const SurveyPoint& p = surface.point(i);
        if (!usable(p)) continue;
        if (!any) {
            minE = maxE = p.easting;
            minN = maxN = p.northing;
            any = true;
        }
        minE = std::min(minE, p.easting), maxE = std::max(maxE, p.easting);
        minN = std::min(minN, p.northing), maxN = std::max(maxN, p.northing);
        largest = std::max({largest, std::fabs(p.easting), std::fabs(p.northing)});
    }
    const double count = static_cast<double>(listed.size() + expectedAdditions + 1);
    const double width = maxE - minE, height = maxN - minN;
    // Not so fine that a breakline across a thin site passes through more
    // cells than there are breaklines, that the cell numbers overflow, or
    // that the rounding of a position matters against the margin below.
    cell_ = std::max({std::sqrt(width * height / count), std::max(width, height) / count, 1e-6 * largest, 1e-9});
    // Every cell within this of a breakline holds it, so two breaklines that
    // meet, or nearly do as the rounded crossing test sees it, share a cell.
    margin_ = 1e-3 * cell_;

    segments_.reserve(listed.size() + expectedAdditions);
    pairs_.reserve(listed.size() + expectedAdditions);
    for (const Breakline& k : listed) add(k.a, k.b);
}

bool BreaklineCrossingIndex::inPlan(int p) const { return p >= 0 && p < surface_.pointCount; }

bool BreaklineCrossingIndex::listed(int a, int b) const { return pairs_.contains(pairKey(a, b)); }

// The cells within the margin of the segment a-b: stepping along the axis it
// runs more along, one column (or row) at a time, and across it the cells
// its part in that column reaches. Interpolating along the longer axis keeps
// the rounding far below the margin.
template <class Visit>
void BreaklineCrossingIndex::forEachCell(int a, int b, Visit visit) const {
    const SurveyPoint &p = surface_.point(a), &q = surface_.point(b);
    const bool alongEasting = std::fabs(q.easting - p.easting) >= std::fabs(q.northing - p.northing);
    const double u1 = alongEasting ? p.easting : p.northing, v1 = alongEasting ? p.northing : p.easting;
    const double u2 = alongEasting ? q.easting : q.northing, v2 = alongEasting ? q.northing : q.easting;
    const double uLow = std::min(u1, u2), uHigh = std::max(u1, u2);
    const double vLow = std::min(v1, v2), vHigh = std::max(v1, v2);
    const double slope = u2 != u1 ? (v2 - v1) / (u2 - u1) : 0.0;  // at most 1 in size
    const auto cellOf = [&](double x) { return static_cast<std::int64_t>(std::floor(x / cell_)); };
    const std::int64_t last = cellOf(uHigh + margin_);
    for (std::int64_t column = cellOf(uLow - margin_); column <= last; ++column) {
        const double from = std::clamp(static_cast<double>(column) * cell_ - margin_, uLow, uHigh);
        const double to = std::clamp(static_cast<double>(column + 1) * cell_ + margin_, uLow, uHigh);
        const double va = v1 + (from - u1) * slope, vb = v1 + (to - u1) * slope;
        const double low = std::max(std::min(va, vb), vLow) - margin_, high = std::min(std::max(va, vb), vHigh) + margin_;
        for (std::int64_t row = cellOf(low), end = cellOf(high); row <= end; ++row)
            visit(alongEasting ? cellKey(column, row) : cellKey(row, column));
    }
}

bool BreaklineCrossingIndex::crossesAny(int a, int b, const std::vector<std::int32_t>& candidates) {
    for (std::int32_t s : candidates) {
        if (seen_[static_cast<std::size_t>(s)] == query_) continue;
        seen_[static_cast<std::size_t>(s)] = query_;
        const Breakline& k = segments_[static_cast<std::size_t>(s)];
        if (breaklinesCross(surface_, a, b, k.a, k.b)) return true;
    }
    return false;
}

bool BreaklineCrossingIndex::crossesListed(int a, int b) {
    if (!inPlan(a) || !inPlan(b)) return false;
    if (++query_ == 0) {  // the stamps wrapped: forget them all
        std::fill(seen_.begin(), seen_.end(), 0u);
        query_ = 1;
    }
    if (crossesAny(a, b, unfiled_)) return true;
    if (!usable(surface_.point(a)) || !usable(surface_.point(b))) {
        std::vector<std::int32_t> all(segments_.size());
        for (std::size_t s = 0; s < all.size(); ++s) all[s] = static_cast<std::int32_t>(s);
        return crossesAny(a, b, all);
    }
    bool crosses = false;
    forEachCell(a, b, [&](std::uint64_t key) {
        if (crosses) return;
        if (const auto found = cells_.find(key); found != cells_.end()) crosses = crossesAny(a, b, found->second);
    });
    return crosses;
}

void BreaklineCrossingIndex::add(int a, int b) {
    pairs_.insert(pairKey(a, b));
    if (!inPlan(a) || !inPlan(b)) return;  // names no point: never crosses
    const auto s = static_cast<std::int32_t>(segments_.size());
    segments_.push_back({a, b});
    seen_.push_back(0);
    if (!usable(surface_.point(a)) || !usable(surface_.point(b))) {
        unfiled_.push_back(s);
        return;
    }
    forEachCell(a, b, [&](std::uint64_t key) {
        std::vector<std::int32_t>& held = cells_[key];
        if (held.empty() || held.back() != s) held.push_back(s);
    });
}

}  // namespace vellacor
