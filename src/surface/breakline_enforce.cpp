#include "surface/breakline_enforce.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "surface/predicates.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

using Index = std::size_t;

struct Plan {
    std::span<const SurveyPoint> points;
    const SurveyPoint& at(int i) const { return points[static_cast<Index>(i)]; }
    double orient(int p, int q, int r) const {
        const SurveyPoint &a = at(p), &b = at(q), &c = at(r);
        return orient2d(a.easting, a.northing, b.easting, b.northing, c.easting, c.northing);
    }
    // > 0 when s lies inside the circumcircle of p, q, r (in any turn).
    double inCircle(int p, int q, int r, int s) const {
        if (orient(p, q, r) < 0) std::swap(q, r);
        const SurveyPoint &a = at(p), &b = at(q), &c = at(r), &d = at(s);
        return incircle(a.easting, a.northing, b.easting, b.northing, c.easting, c.northing, d.easting, d.northing);
    }
};

// True when the open segment a-b passes through the inside of the
// counter-clockwise triangle v: no line through a triangle edge, nor the
// segment's own line, keeps them apart.
bool passesThrough(const Plan& plan, const std::int32_t v[3], int a, int b) {
    const double o0 = plan.orient(a, b, v[0]), o1 = plan.orient(a, b, v[1]), o2 = plan.orient(a, b, v[2]);
    const bool anyLeft = o0 > 0 || o1 > 0 || o2 > 0;
    const bool anyRight = o0 < 0 || o1 < 0 || o2 < 0;
    if (!anyLeft || !anyRight) return false;
    for (int k = 0; k < 3; ++k) {
        const int p = v[k], q = v[(k + 1) % 3];
        if (plan.orient(p, q, a) <= 0 && plan.orient(p, q, b) <= 0) return false;
    }
    return true;
}

// Position of point v along a -> b as a fraction of its length.
double along(const Plan& plan, int a, int b, int v) {
    const SurveyPoint &pa = plan.at(a), &pb = plan.at(b), &pv = plan.at(v);
    const double dx = pb.easting - pa.easting, dy = pb.northing - pa.northing;
    return ((pv.easting - pa.easting) * dx + (pv.northing - pa.northing) * dy) / (dx * dx + dy * dy);
}

std::uint64_t edgeKey(int from, int to) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(from)) << 32) | static_cast<std::uint32_t>(to);
}

// The triangles the segment passes through, with their shared edges: the
// segment's neighbourhood, changed by flipping edges.
class Strip {
public:
    Strip(const Plan& plan, int a, int b) : plan_(plan), a_(a), b_(b) {}

    void add(const std::int32_t v[3]) {
        const int t = static_cast<int>(tris_.size());
        tris_.push_back({v[0], v[1], v[2]});
        index(t);
    }

    // The edges the segment crosses, each with a triangle on both sides; false
    // when a crossed edge lies on the edge of the surface (the segment leaves it).
    bool collectCrossedEdges() {
        for (const auto& [key, t] : owner_) {
            const int from = static_cast<int>(key >> 32), to = static_cast<int>(key & 0xFFFFFFFFu);
            if (!crosses(from, to)) {
                if (from < to) kept_.insert(edgeKey(from, to));
                continue;
            }
            if (!owner_.contains(edgeKey(to, from))) return false;
            if (from < to) queue_.push_back({from, to});
        }
        return true;
    }

    // Flips crossed edges until none is left: an edge whose two triangles
    // make a convex quadrilateral is replaced by the other diagonal, which
    // goes back in the queue while it still crosses the segment; an edge that
    // cannot be flipped yet waits for its neighbours. This always ends.
    bool flipAway() {
        std::size_t guard = 0;
        const std::size_t limit = 64 * (queue_.size() + 1) * (queue_.size() + 1);
        for (std::size_t head = 0; head < queue_.size(); ++head) {
            if (++guard > limit) return false;
            const auto [p, q] = queue_[head];
            const int t1 = owner_.at(edgeKey(p, q)), t2 = owner_.at(edgeKey(q, p));
            const int r = opposite(t1, p, q), s = opposite(t2, q, p);
            const double sp = plan_.orient(r, s, p), sq = plan_.orient(r, s, q);
            if (!((sp > 0 && sq < 0) || (sp < 0 && sq > 0))) {
                queue_.push_back({p, q});
                continue;
            }
            flip(t1, t2, p, q, r, s);
            if (crosses(r, s)) queue_.push_back({r, s});
        }
        return true;
    }

    // Makes the flipped strip as near Delaunay as the segment allows: an edge
    // other than the segment whose far vertex lies inside the circle of the
    // triangle on its near side is flipped, and the edges around it looked at
    // again. Edges on the strip's outline stay, and so do the edges inside it
    // that the segment did not cross: one may be an earlier breakline.
    void restoreDelaunay() {
        std::vector<std::pair<int, int>> stack;
        for (const auto& t : tris_)
            for (Index k = 0; k < 3; ++k)
                if (!kept_.contains(edgeKey(std::min(t[k], t[(k + 1) % 3]), std::max(t[k], t[(k + 1) % 3]))))
                    stack.push_back({t[k], t[(k + 1) % 3]});
        std::size_t guard = 0;
        const std::size_t limit = 64 * (stack.size() + 1) * (stack.size() + 1);
        while (!stack.empty() && ++guard < limit) {
            const auto [p, q] = stack.back();
            stack.pop_back();
            if ((p == a_ && q == b_) || (p == b_ && q == a_)) continue;
            if (kept_.contains(edgeKey(std::min(p, q), std::max(p, q)))) continue;
            const auto t1 = owner_.find(edgeKey(p, q)), t2 = owner_.find(edgeKey(q, p));
            if (t1 == owner_.end() || t2 == owner_.end()) continue;
            const int r = opposite(t1->second, p, q), s = opposite(t2->second, q, p);
            if (plan_.inCircle(p, q, r, s) <= 0) continue;
            flip(t1->second, t2->second, p, q, r, s);
            stack.insert(stack.end(), {{p, s}, {s, q}, {q, r}, {r, p}});
        }
    }

    const std::vector<std::array<int, 3>>& triangles() const { return tris_; }

private:
    // The segment and edge p-q cross properly, each splitting the other.
    bool crosses(int p, int q) const {
        const double op = plan_.orient(a_, b_, p), oq = plan_.orient(a_, b_, q);
        if (!((op > 0 && oq < 0) || (op < 0 && oq > 0))) return false;
        const double oa = plan_.orient(p, q, a_), ob = plan_.orient(p, q, b_);
        return (oa > 0 && ob < 0) || (oa < 0 && ob > 0);
    }
    // Triangles (p, q, r) and (q, p, s) become (p, s, r) and (q, r, s).
    void flip(int t1, int t2, int p, int q, int r, int s) {
        unindex(t1);
        unindex(t2);
        tris_[static_cast<Index>(t1)] = counterClockwise(p, s, r);
        tris_[static_cast<Index>(t2)] = counterClockwise(q, r, s);
        index(t1);
        index(t2);
    }
    int opposite(int t, int p, int q) const {
        for (int v : tris_[static_cast<Index>(t)])
            if (v != p && v != q) return v;
        return p;
    }
    std::array<int, 3> counterClockwise(int p, int q, int r) const {
        if (plan_.orient(p, q, r) < 0) std::swap(q, r);
        return {p, q, r};
    }
    void index(int t) {
        const auto& v = tris_[static_cast<Index>(t)];
        for (Index k = 0; k < 3; ++k) owner_[edgeKey(v[k], v[(k + 1) % 3])] = t;
    }
    void unindex(int t) {
        const auto& v = tris_[static_cast<Index>(t)];
        for (Index k = 0; k < 3; ++k) owner_.erase(edgeKey(v[k], v[(k + 1) % 3]));
    }

    const Plan& plan_;
    int a_, b_;
    std::vector<std::array<int, 3>> tris_;
    std::unordered_map<std::uint64_t, int> owner_;  // directed edge -> triangle holding it
    std::vector<std::pair<int, int>> queue_;
    std::unordered_set<std::uint64_t> kept_;  // edges the segment does not cross, lower vertex first
};

// Enforces a segment with no surface vertex inside it.
bool enforceStraight(const Plan& plan, std::vector<TinTriangle>& triangles, int a, int b,
                     const std::vector<int>& crossed) {
    if (crossed.empty()) return false;
    Strip strip(plan, a, b);
    for (int t : crossed) strip.add(triangles[static_cast<Index>(t)].vertex);
    if (!strip.collectCrossedEdges() || !strip.flipAway()) return false;
    strip.restoreDelaunay();
    for (Index i = 0; i < crossed.size(); ++i) {
        TinTriangle tri;
        for (Index k = 0; k < 3; ++k) tri.vertex[k] = strip.triangles()[i][k];
        computeTriangleGeometry(plan.points, tri);
        triangles[static_cast<Index>(crossed[i])] = tri;
    }
    return true;
}

}  // namespace

bool enforceBreakline(std::span<const SurveyPoint> points, int pointCount, std::vector<TinTriangle>& triangles,
                      int& triangleCount, int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= pointCount || b >= pointCount) return false;
    const Plan plan{points};
    const SurveyPoint &pa = plan.at(a), &pb = plan.at(b);
    if (pa.easting == pb.easting && pa.northing == pb.northing) return false;
    const double minX = std::min(pa.easting, pb.easting), maxX = std::max(pa.easting, pb.easting);
    const double minY = std::min(pa.northing, pb.northing), maxY = std::max(pa.northing, pb.northing);

    std::vector<int> crossed;
    bool seenA = false, seenB = false;
    std::vector<std::pair<double, int>> onSegment;  // surface vertices inside the segment
    for (int t = 0; t < triangleCount; ++t) {
        const std::int32_t* v = triangles[static_cast<Index>(t)].vertex;
        double lowX = plan.at(v[0]).easting, highX = lowX, lowY = plan.at(v[0]).northing, highY = lowY;
        for (int k = 1; k < 3; ++k) {
            lowX = std::min(lowX, plan.at(v[k]).easting);
            highX = std::max(highX, plan.at(v[k]).easting);
            lowY = std::min(lowY, plan.at(v[k]).northing);
            highY = std::max(highY, plan.at(v[k]).northing);
        }
        if (highX < minX || lowX > maxX || highY < minY || lowY > maxY) continue;
        for (int k = 0; k < 3; ++k) {
            seenA = seenA || v[k] == a;
            seenB = seenB || v[k] == b;
            if (v[k] == a || v[k] == b || plan.orient(a, b, v[k]) != 0) continue;
            const double s = along(plan, a, b, v[k]);
            if (s > 0.0 && s < 1.0) onSegment.emplace_back(s, v[k]);
        }
        if (passesThrough(plan, v, a, b)) crossed.push_back(t);
    }
    if (!onSegment.empty()) {
        std::sort(onSegment.begin(), onSegment.end());
        onSegment.erase(std::unique(onSegment.begin(), onSegment.end()), onSegment.end());
        bool changed = false;
        int from = a;
        for (const auto& [s, v] : onSegment) {
            changed = enforceBreakline(points, pointCount, triangles, triangleCount, from, v) || changed;
            from = v;
        }
        return enforceBreakline(points, pointCount, triangles, triangleCount, from, b) || changed;
    }
    if (!seenA || !seenB) return false;  // an end that is no vertex of the surface
    return enforceStraight(plan, triangles, a, b, crossed);
}

}  // namespace vellacor
