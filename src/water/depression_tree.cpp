#include "water/depression_tree.h"

#include <algorithm>
#include <numeric>

namespace vellacor {

namespace {

constexpr std::int32_t kUnset = -1;
constexpr std::int32_t kDrained = -2;  // ground the water runs off from

// The points joined by an edge, as offsets into one list (both directions).
struct PointLinks {
    std::vector<std::int32_t> offsets, list;
    std::span<const std::int32_t> of(std::int32_t p) const {
        const auto b = static_cast<std::size_t>(offsets[static_cast<std::size_t>(p)]);
        const auto e = static_cast<std::size_t>(offsets[static_cast<std::size_t>(p) + 1]);
        return std::span<const std::int32_t>(list).subspan(b, e - b);
    }
};

PointLinks linksOf(const SurfaceView& s) {
    const auto n = static_cast<std::size_t>(std::max(s.pointCount, 0));
    PointLinks links;
    links.offsets.assign(n + 1, 0);
    // An inner edge is taken from the one of its two triangles with the lower
    // index, so each point lists each neighbour once.
    const auto taken = [n, &s](int t, int k, std::int32_t a, std::int32_t b) {
        const std::int32_t across = s.triangle(t).neighbour[k];
        return a >= 0 && static_cast<std::size_t>(a) < n && b >= 0 && static_cast<std::size_t>(b) < n && a != b &&
               (across < 0 || across > t);
    };
    for (int t = 0; t < s.triangleCount; ++t) {
        const TinTriangle& tri = s.triangle(t);
        for (int k = 0; k < 3; ++k) {
            const std::int32_t a = tri.vertex[k], b = tri.vertex[(k + 1) % 3];
            if (!taken(t, k, a, b)) continue;
            ++links.offsets[static_cast<std::size_t>(a) + 1];
            ++links.offsets[static_cast<std::size_t>(b) + 1];
        }
    }
    std::partial_sum(links.offsets.begin(), links.offsets.end(), links.offsets.begin());
    links.list.resize(static_cast<std::size_t>(links.offsets[n]));
    std::vector<std::int32_t> next(links.offsets.begin(), links.offsets.end() - 1);
    for (int t = 0; t < s.triangleCount; ++t) {
        const TinTriangle& tri = s.triangle(t);
        for (int k = 0; k < 3; ++k) {
            const std::int32_t a = tri.vertex[k], b = tri.vertex[(k + 1) % 3];
            if (!taken(t, k, a, b)) continue;
            links.list[static_cast<std::size_t>(next[static_cast<std::size_t>(a)]++)] = b;
            links.list[static_cast<std::size_t>(next[static_cast<std::size_t>(b)]++)] = a;
        }
    }
    return links;
}

// Points on an outer edge: water there runs off the surface.
std::vector<std::uint8_t> outerPointsOf(const SurfaceView& s) {
    const auto n = static_cast<std::size_t>(std::max(s.pointCount, 0));
    std::vector<std::uint8_t> outer(n, 0);
    for (int t = 0; t < s.triangleCount; ++t) {
        const TinTriangle& tri = s.triangle(t);
        for (int k = 0; k < 3; ++k) {
            if (tri.neighbour[k] != kNoTriangle) continue;
            for (const std::int32_t v : {tri.vertex[k], tri.vertex[(k + 1) % 3]})
                if (v >= 0 && static_cast<std::size_t>(v) < n) outer[static_cast<std::size_t>(v)] = 1;
        }
    }
    return outer;
}

struct UnionFind {
    std::vector<std::int32_t> parent;
    explicit UnionFind(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    std::int32_t find(std::int32_t v) {
        while (parent[static_cast<std::size_t>(v)] != v) {
            const std::int32_t up = parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(v)])];
            parent[static_cast<std::size_t>(v)] = up;
            v = up;
        }
        return v;
    }
    std::int32_t join(std::int32_t a, std::int32_t b) {
        a = find(a), b = find(b);
        if (a != b) parent[static_cast<std::size_t>(b)] = a;
        return a;
    }
};

// The sweep, one level (a group of points of equal elevation) at a time.
class Sweep {
public:
    Sweep(const SurfaceView& s, DepressionTree& tree)
        : s_(s), tree_(tree), links_(linksOf(s)), outer_(outerPointsOf(s)), sets_(pointCount(s)),
          owner_(pointCount(s), kUnset), pointOwner(pointCount(s), kUnset), reached_(pointCount(s), 0),
          clusterSlot_(pointCount(s), kUnset), elevation_(pointCount(s), 0.0) {}

    void run() {
        // Sorted on copies of the heights: the sweep reads them far more than the point records.
        std::vector<std::pair<double, std::int32_t>> keyed;
        for (std::size_t v = 0; v < reached_.size(); ++v) {
            elevation_[v] = s_.point(static_cast<int>(v)).elevation;
            if (!links_.of(static_cast<std::int32_t>(v)).empty()) keyed.emplace_back(elevation_[v], static_cast<std::int32_t>(v));
        }
        std::sort(keyed.begin(), keyed.end());
        order.reserve(keyed.size());
        for (const auto& [height, v] : keyed) order.push_back(v);
        for (std::size_t g = 0; g < order.size();) {
            std::size_t e = g + 1;
            while (e < order.size() && z(order[e]) == z(order[g])) ++e;
            level(std::span<const std::int32_t>(order).subspan(g, e - g));
            g = e;
        }
    }

    std::vector<std::int32_t> order;  // the points of the surface, lowest first (of equal ones, the first)

private:
    static std::size_t pointCount(const SurfaceView& s) { return static_cast<std::size_t>(std::max(s.pointCount, 0)); }
    double z(std::int32_t p) const { return elevation_[static_cast<std::size_t>(p)]; }
    bool lowerThan(std::int32_t a, std::int32_t b) const { return z(a) < z(b) || (z(a) == z(b) && a < b); }

    // Points of one level joined by level edges or by the water they both
    // touch, with the depressions they meet below them.
    struct Cluster {
        std::vector<std::int32_t> points;  // in the sweep's order
        std::vector<std::pair<std::int32_t, std::int32_t>> met;  // (depression, the point touching it)
        bool drains = false;
    };

    void level(std::span<const std::int32_t> group) {
        const double h = z(group.front());
        for (const std::int32_t v : group) reached_[static_cast<std::size_t>(v)] = 1;
        // What each point meets below it, read before any set is joined.
        met_.clear();
        drainsAt_.assign(group.size(), 0);
        for (std::size_t i = 0; i < group.size(); ++i) {
            const std::int32_t v = group[i];
            if (outer_[static_cast<std::size_t>(v)]) drainsAt_[i] = 1;
            for (const std::int32_t u : links_.of(v)) {
                if (!reached_[static_cast<std::size_t>(u)] || z(u) == h) continue;
                const std::int32_t d = owner_[static_cast<std::size_t>(sets_.find(u))];
                if (d == kDrained)
                    drainsAt_[i] = 1;
                else
                    met_.emplace_back(static_cast<std::int32_t>(i), d);
            }
        }
        for (const std::int32_t v : group)
            for (const std::int32_t u : links_.of(v))
                if (reached_[static_cast<std::size_t>(u)] && z(u) == h) sets_.join(v, u);
        for (const auto& [i, d] : met_) sets_.join(group[static_cast<std::size_t>(i)], depressionAt(d).bottom);
        clusterCount_ = 0;
        for (std::size_t i = 0; i < group.size(); ++i) {
            Cluster& c = clusterOf(group[i]);
            c.points.push_back(group[i]);
            c.drains = c.drains || drainsAt_[i];
        }
        for (const auto& [i, d] : met_) clusterOf(group[static_cast<std::size_t>(i)]).met.emplace_back(d, group[static_cast<std::size_t>(i)]);
        for (const std::int32_t v : group) clusterSlot_[static_cast<std::size_t>(sets_.find(v))] = kUnset;
        for (std::size_t c = 0; c < clusterCount_; ++c) settle(clusters_[c], h);
    }

    Cluster& clusterOf(std::int32_t v) {
        std::int32_t& slot = clusterSlot_[static_cast<std::size_t>(sets_.find(v))];
        if (slot == kUnset) {
            // Clusters are reused from level to level, keeping their lists' room.
            slot = static_cast<std::int32_t>(clusterCount_++);
            if (clusterCount_ > clusters_.size()) clusters_.emplace_back();
            Cluster& fresh = clusters_[static_cast<std::size_t>(slot)];
            fresh.points.clear();
            fresh.met.clear();
            fresh.drains = false;
        }
        return clusters_[static_cast<std::size_t>(slot)];
    }

    Depression& depressionAt(std::int32_t d) { return tree_.depressions[static_cast<std::size_t>(d)]; }

    std::int32_t newDepression(std::int32_t bottom) {
        tree_.depressions.push_back({bottom, HUGE_VAL, kNoPoint, -1});
        return static_cast<std::int32_t>(tree_.depressions.size() - 1);
    }

    void settle(Cluster& c, double h) {
        // The distinct depressions met, each with the first point touching it.
        std::sort(c.met.begin(), c.met.end());
        c.met.erase(std::unique(c.met.begin(), c.met.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                    c.met.end());
        std::int32_t into = kDrained;
        if (c.met.empty()) {
            if (!c.drains) into = newDepression(c.points.front());
        } else if (c.met.size() == 1 && !c.drains) {
            into = c.met.front().first;  // the water has not reached this level yet: the depression grows
        } else {
            // The water standing in the depressions met reaches this level:
            // they end here, as one body of water that rises on or runs off.
            std::int32_t bottom = depressionAt(c.met.front().first).bottom;
            for (const auto& [d, at] : c.met) {
                Depression& ended = depressionAt(d);
                ended.spillLevel = h;
                ended.spillPoint = at;
                if (lowerThan(ended.bottom, bottom)) bottom = ended.bottom;
            }
            if (c.met.size() > 1) {
                into = newDepression(bottom);
                for (const auto& [d, at] : c.met) depressionAt(d).parent = into;
                if (c.drains) {
                    // The lake they make runs off at once.
                    depressionAt(into).spillLevel = h;
                    depressionAt(into).spillPoint = c.met.front().second;
                    into = kDrained;
                }
            }
        }
        owner_[static_cast<std::size_t>(sets_.find(c.points.front()))] = into;
        for (const std::int32_t v : c.points) pointOwner[static_cast<std::size_t>(v)] = into;
    }

    const SurfaceView& s_;
    DepressionTree& tree_;
    PointLinks links_;
    std::vector<std::uint8_t> outer_;
    UnionFind sets_;
    std::vector<std::int32_t> owner_;  // per set root: its depression or kDrained

public:
    std::vector<std::int32_t> pointOwner;  // each point's depression, kDrained, or kUnset

private:
    std::vector<std::uint8_t> reached_;
    std::vector<std::int32_t> clusterSlot_;
    std::vector<Cluster> clusters_;
    std::size_t clusterCount_ = 0;  // of clusters_, those of the current level
    std::vector<double> elevation_;
    std::vector<std::pair<std::int32_t, std::int32_t>> met_;  // (index in the level's group, depression)
    std::vector<std::uint8_t> drainsAt_;
};

}  // namespace

DepressionTree findDepressions(const SurfaceView& surface) {
    DepressionTree tree;
    Sweep sweep(surface, tree);
    sweep.run();
    // Each depression's points in the order they were reached (lowest first), and its children.
    const std::size_t count = tree.depressions.size();
    tree.pointOffsets.assign(count + 1, 0);
    tree.childOffsets.assign(count + 1, 0);
    // The sweep's order is lowest first, so each depression's points come out lowest first.
    const std::vector<std::int32_t>& order = sweep.order;
    std::size_t owned = 0;
    for (const std::int32_t v : order) {
        const std::int32_t d = sweep.pointOwner[static_cast<std::size_t>(v)];
        if (d < 0) continue;
        ++tree.pointOffsets[static_cast<std::size_t>(d) + 1];
        ++owned;
    }
    for (const Depression& d : tree.depressions)
        if (d.parent >= 0) ++tree.childOffsets[static_cast<std::size_t>(d.parent) + 1];
    std::partial_sum(tree.pointOffsets.begin(), tree.pointOffsets.end(), tree.pointOffsets.begin());
    std::partial_sum(tree.childOffsets.begin(), tree.childOffsets.end(), tree.childOffsets.begin());
    tree.pointList.resize(owned);
    tree.childList.resize(static_cast<std::size_t>(tree.childOffsets[count]));
    std::vector<std::int32_t> nextPoint(tree.pointOffsets.begin(), tree.pointOffsets.end() - 1);
    std::vector<std::int32_t> nextChild(tree.childOffsets.begin(), tree.childOffsets.end() - 1);
    for (const std::int32_t v : order) {
        const std::int32_t d = sweep.pointOwner[static_cast<std::size_t>(v)];
        if (d >= 0) tree.pointList[static_cast<std::size_t>(nextPoint[static_cast<std::size_t>(d)]++)] = v;
    }
    for (std::size_t d = 0; d < count; ++d) {
        const std::int32_t parent = tree.depressions[d].parent;
        if (parent >= 0) tree.childList[static_cast<std::size_t>(nextChild[static_cast<std::size_t>(parent)]++)] = static_cast<std::int32_t>(d);
    }
    return tree;
}

}  // namespace vellacor
