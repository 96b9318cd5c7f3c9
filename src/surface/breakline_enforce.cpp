#include "surface/breakline_enforce.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "surface/neighbour_links.h"
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

// Enforces a segment with no surface vertex inside it, through the given
// triangles, whose slots receive the new ones.
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
        triangles[static_cast<Index>(crossed[i])] = tri;
    }
    return true;
}

int localIndex(const std::int32_t v[3], int p) {
    for (int k = 0; k < 3; ++k)
        if (v[k] == p) return k;
    return -1;
}

}  // namespace

void BreaklineEnforcer::adoptLinks(std::vector<std::int32_t> links, const std::vector<TinTriangle>& triangles,
                                   int triangleCount, int pointCount) {
    if (links.size() != 3 * static_cast<Index>(std::max(triangleCount, 0))) {
        index(triangles, triangleCount, pointCount);
        return;
    }
    links_ = std::move(links);
    indexCorners(triangles, triangleCount, pointCount);
}

void BreaklineEnforcer::index(const std::vector<TinTriangle>& triangles, int triangleCount, int pointCount) {
    std::vector<HullEdge> hull;
    links_.clear();
    linkNeighbours(triangles.data(), triangleCount, links_, hull, [](double) { return true; });
    indexCorners(triangles, triangleCount, pointCount);
}

void BreaklineEnforcer::indexCorners(const std::vector<TinTriangle>& triangles, int triangleCount, int pointCount) {
    cornerOf_.assign(static_cast<Index>(std::max(pointCount, 0)), kNoTriangle);
    for (int t = 0; t < triangleCount; ++t)
        for (int v : triangles[static_cast<Index>(t)].vertex)
            if (v >= 0 && v < pointCount) cornerOf_[static_cast<Index>(v)] = t;
    triangleCount_ = triangleCount;
}

bool BreaklineEnforcer::holdsEdge(const std::vector<TinTriangle>& triangles, int t, int p, int q) const {
    if (t < 0 || t >= triangleCount_ || static_cast<Index>(t) >= triangles.size()) return false;
    const std::int32_t* v = triangles[static_cast<Index>(t)].vertex;
    return localIndex(v, p) >= 0 && localIndex(v, q) >= 0;
}

BreaklineEnforcer::Walk BreaklineEnforcer::walk(std::span<const SurveyPoint> points,
                                               const std::vector<TinTriangle>& triangles, int a, int b) const {
    const Plan plan{points};
    Walk result;
    if (static_cast<Index>(a) >= cornerOf_.size()) return result;
    const int start = cornerOf_[static_cast<Index>(a)];
    if (start == kNoTriangle) return result;  // a is no vertex of the surface
    if (!holdsEdge(triangles, start, a, a)) {
        result.stale = true;
        return result;
    }
    // Turn about a to the triangle whose corner at a holds the direction to b:
    // counter-clockwise first, and clockwise from the start when the turn
    // meets the edge of the surface.
    int t = start, found = kNoTriangle;
    bool turnedFullCircle = false;
    for (int direction = 0; direction < 2 && found == kNoTriangle && !turnedFullCircle; ++direction) {
        t = start;
        for (int turns = 0; turns <= triangleCount_; ++turns) {
            const std::int32_t* v = triangles[static_cast<Index>(t)].vertex;
            const int i = localIndex(v, a);
            const int p = v[(i + 1) % 3], q = v[(i + 2) % 3];
            if (plan.orient(a, p, b) >= 0 && plan.orient(a, q, b) <= 0) {
                found = t;
                break;
            }
            const int edge = direction == 0 ? (i + 2) % 3 : i;  // (q, a) turning counter-clockwise, (a, p) back
            const int next = links_[static_cast<Index>(3 * t + edge)];
            turnedFullCircle = next == start;
            if (next == kNoTriangle || next == start) break;
            if (!holdsEdge(triangles, next, a, direction == 0 ? q : p)) {
                result.stale = true;
                return result;
            }
            t = next;
        }
    }
    if (found == kNoTriangle) return result;  // b lies outside the surface seen from a

    const std::int32_t* v = triangles[static_cast<Index>(found)].vertex;
    const int i = localIndex(v, a);
    int right = v[(i + 1) % 3], left = v[(i + 2) % 3];
    if (right == b || left == b) return result;  // already an edge
    if (plan.orient(a, right, b) == 0) {
        result.stop = right;
        return result;
    }
    if (plan.orient(a, left, b) == 0) {
        result.stop = left;
        return result;
    }
    result.crossed.push_back(found);
    t = found;
    // Step across the edge right-left the segment leaves by, until b or a
    // surface vertex on the segment is reached.
    for (int steps = 0; steps <= triangleCount_; ++steps) {
        const std::int32_t* tv = triangles[static_cast<Index>(t)].vertex;
        const int k = localIndex(tv, right);
        const int next = links_[static_cast<Index>(3 * t + k)];  // the edge (right, left)
        if (next == kNoTriangle) {
            result.crossed.clear();  // the segment leaves the surface
            return result;
        }
        if (!holdsEdge(triangles, next, right, left)) {
            result.stale = true;
            return result;
        }
        result.crossed.push_back(next);
        const std::int32_t* nv = triangles[static_cast<Index>(next)].vertex;
        int far = nv[0];
        for (int c : {nv[0], nv[1], nv[2]})
            if (c != right && c != left) far = c;
        if (far == b) {
            result.stop = b;
            return result;
        }
        const double side = plan.orient(a, b, far);
        if (side == 0) {
            result.stop = far;
            return result;
        }
        // Triangles of this walk hold the edge (right, left) as (left, right).
        if (side < 0) right = far;
        else left = far;
        t = next;
    }
    result.crossed.clear();
    return result;
}

void BreaklineEnforcer::relink(const std::vector<TinTriangle>& triangles, const std::vector<int>& changed,
                               const std::vector<std::array<int, 3>>& outsideBefore) {
    // The changed triangles fill the same region as before: their outline
    // edges meet the same outside triangles, and the rest pair up among them.
    std::unordered_map<std::uint64_t, int> outline;  // directed edge inside the region -> outside triangle
    for (const auto& [from, to, outside] : outsideBefore) outline[edgeKey(from, to)] = outside;
    std::unordered_map<std::uint64_t, int> inner;
    for (int t : changed) {
        const std::int32_t* v = triangles[static_cast<Index>(t)].vertex;
        for (int k = 0; k < 3; ++k) {
            const int from = v[k], to = v[(k + 1) % 3];
            cornerOf_[static_cast<Index>(from)] = t;
            if (const auto o = outline.find(edgeKey(from, to)); o != outline.end()) {
                links_[static_cast<Index>(3 * t + k)] = o->second;
                if (o->second != kNoTriangle) {
                    const std::int32_t* ov = triangles[static_cast<Index>(o->second)].vertex;
                    links_[static_cast<Index>(3 * o->second + localIndex(ov, to))] = t;
                }
            } else if (const auto twin = inner.find(edgeKey(to, from)); twin != inner.end()) {
                const int u = static_cast<int>(twin->second / 3);
                links_[static_cast<Index>(3 * t + k)] = u;
                links_[static_cast<Index>(twin->second)] = t;
            } else {
                inner[edgeKey(from, to)] = 3 * t + k;
            }
        }
    }
}

bool BreaklineEnforcer::enforce(std::span<const SurveyPoint> points, int pointCount,
                                std::vector<TinTriangle>& triangles, int triangleCount, int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= pointCount || b >= pointCount) return false;
    const Plan plan{points};
    const SurveyPoint &pa = plan.at(a), &pb = plan.at(b);
    if (pa.easting == pb.easting && pa.northing == pb.northing) return false;
    if (triangleCount != triangleCount_ || static_cast<Index>(pointCount) != cornerOf_.size())
        index(triangles, triangleCount, pointCount);
    bool changed = false;
    // Each round enforces the piece from a to the next surface vertex on the
    // segment (b at the last).
    for (int rounds = 0; rounds <= pointCount && a != b; ++rounds) {
        Walk w = walk(points, triangles, a, b);
        if (w.stale) {
            index(triangles, triangleCount, pointCount);
            w = walk(points, triangles, a, b);
        }
        if (w.stop == kNoPoint && w.crossed.empty()) return changed;  // done, or the segment leaves the surface
        if (!w.crossed.empty()) {
            std::vector<std::array<int, 3>> outsideBefore;
            std::unordered_set<int> inRegion(w.crossed.begin(), w.crossed.end());
            for (int t : w.crossed) {
                const std::int32_t* v = triangles[static_cast<Index>(t)].vertex;
                for (int k = 0; k < 3; ++k) {
                    const int n = links_[static_cast<Index>(3 * t + k)];
                    if (!inRegion.contains(n)) outsideBefore.push_back({v[k], v[(k + 1) % 3], n});
                }
            }
            if (!enforceStraight(plan, triangles, a, w.stop, w.crossed)) return changed;
            relink(triangles, w.crossed, outsideBefore);
            changed = true;
        }
        a = w.stop;
    }
    return changed;
}

bool enforceBreakline(std::span<const SurveyPoint> points, int pointCount, std::vector<TinTriangle>& triangles,
                      int& triangleCount, int a, int b) {
    BreaklineEnforcer enforcer;
    return enforcer.enforce(points, pointCount, triangles, triangleCount, a, b);
}

}  // namespace vellacor
