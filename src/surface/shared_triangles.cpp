#include "surface/shared_triangles.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstddef>
#include <optional>

#include "system/two_cores.h"

namespace vellacor {

namespace {

std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i); }

// The comparison's points, bucketed by a square grid of about one point a
// cell over the surface's box; each kept with its plan position, so that a
// look-up reads one short run.
class PointBuckets {
public:
    explicit PointBuckets(const PlanTin& tin) : box_(tin.box) {
        const std::size_t count = tin.points.size();
        if (count == 0 || !(box_.maxX >= box_.minX) || !(box_.maxY >= box_.minY)) return;
        side_ = std::clamp(static_cast<int>(std::sqrt(static_cast<double>(count))), 1, 1 << 12);
        const double w = box_.maxX - box_.minX, h = box_.maxY - box_.minY;
        sx_ = w > 0 ? side_ / w : 0.0;
        sy_ = h > 0 ? side_ / h : 0.0;
        const std::size_t cells = static_cast<std::size_t>(side_) * static_cast<std::size_t>(side_);
        start_.assign(cells + 1, 0);
        std::vector<std::uint32_t> cellOfPoint(count);
        for (std::size_t i = 0; i < count; ++i)
            ++start_[(cellOfPoint[i] = static_cast<std::uint32_t>(cellOf(tin.points[i].x, tin.points[i].y))) + 1];
        for (std::size_t c = 0; c < cells; ++c) start_[c + 1] += start_[c];
        entries_.resize(count);
        std::vector<std::uint32_t> next(start_.begin(), start_.end() - 1);
        for (std::size_t i = 0; i < count; ++i) entries_[next[cellOfPoint[i]]++] = {tin.points[i].x, tin.points[i].y, static_cast<std::int32_t>(i)};
    }

    // The point at exactly (x, y), or -1 (the first of several).
    std::int32_t find(double x, double y) const {
        if (side_ == 0) return -1;
        const std::size_t c = cellOf(x, y);
        for (std::uint32_t k = start_[c]; k < start_[c + 1]; ++k)
            if (entries_[k].x == x && entries_[k].y == y) return entries_[k].point;
        return -1;
    }

private:
    struct Entry {
        double x, y;
        std::int32_t point;
    };

    std::size_t cellOf(double x, double y) const {
        const auto index = [this](double v, double from, double scale) {
            const double i = std::clamp((v - from) * scale, 0.0, static_cast<double>(side_ - 1));
            return i == i ? static_cast<std::size_t>(i) : std::size_t{0};  // NaN: the first cell
        };
        return index(y, box_.minY, sy_) * static_cast<std::size_t>(side_) + index(x, box_.minX, sx_);
    }

    PlanTin::Box box_;
    int side_ = 0;
    double sx_ = 0, sy_ = 0;
    std::vector<std::uint32_t> start_;
    std::vector<Entry> entries_;
};

// The triangle with corners q0, q1, q2 in this turn, found among those round
// q0 from `start` (one of them), or -1.
int triangleWith(const PlanTin& tin, int start, std::int32_t q0, std::int32_t q1, std::int32_t q2) {
    for (const int way : {0, 2}) {
        int t = start;
        for (int step = 0; step < 64 && t >= 0; ++step) {
            const std::array<std::int32_t, 3>& c = tin.corners[at(t)];
            const int k = c[0] == q0 ? 0 : c[1] == q0 ? 1 : c[2] == q0 ? 2 : -1;
            if (k < 0) return -1;
            if (c[at((k + 1) % 3)] == q1 && c[at((k + 2) % 3)] == q2) return tin.hasArea[at(t)] ? t : -1;
            // Across the edge leaving q0 (one way round) or reaching it (the other).
            t = tin.neighbours[at(t)][at((k + way) % 3)];
            if (t == start) return -1;  // all the way round
        }
    }
    return -1;
}

// Whether the surfaces share enough points to be worth looking for shared
// triangles: most pairs share none (two surveys, a design on points of its
// own). A sample of the site's points, every comparison point looked up in
// it: O(comparison points) with a table that stays in the cache.
bool shareManyPoints(const PlanTin& site, const PlanTin& comparison) {
    constexpr std::size_t kSample = 4096, kSlots = 4 * kSample;
    if (site.points.empty() || comparison.points.empty()) return false;
    const auto key = [](double x, double y) {
        // + 0.0: -0 and 0 are one position.
        const std::uint64_t h = std::bit_cast<std::uint64_t>(x + 0.0) * 0x9E3779B97F4A7C15ull ^
                                std::bit_cast<std::uint64_t>(y + 0.0) * 0xC2B2AE3D27D4EB4Full;
        return static_cast<std::size_t>((h ^ (h >> 29)) % kSlots);
    };
    std::vector<std::int32_t> slot(kSlots, -1);
    const std::size_t step = std::max<std::size_t>(1, site.points.size() / kSample);
    std::size_t sampled = 0;
    for (std::size_t i = 0; i < site.points.size(); i += step, ++sampled) {
        std::size_t k = key(site.points[i].x, site.points[i].y);
        while (slot[k] >= 0) k = (k + 1) % kSlots;
        slot[k] = static_cast<std::int32_t>(i);
    }
    std::size_t shared = 0;
    for (const PlanTin::Point& p : comparison.points)
        for (std::size_t k = key(p.x, p.y); slot[k] >= 0; k = (k + 1) % kSlots) {
            const PlanTin::Point& q = site.points[at(slot[k])];
            if (q.x == p.x && q.y == p.y) {
                ++shared;
                break;
            }
        }
    return shared * 16 >= sampled;
}

}  // namespace

SharedTriangles sharedTriangles(const PlanTin& site, const PlanTin& comparison, const std::vector<std::uint8_t>& wanted) {
    SharedTriangles shared{std::vector<std::int32_t>(site.corners.size(), -1), std::vector<std::uint8_t>(comparison.points.size(), 0)};
    if (!shareManyPoints(site, comparison)) return shared;
    std::vector<std::int32_t> cornerOf(comparison.points.size(), -1);
    std::optional<PointBuckets> buckets;
    runOnTwoCores(
        [&] {
            for (int b = 0; b < comparison.triangleCount(); ++b)
                if (comparison.hasArea[at(b)])
                    for (const std::int32_t p : comparison.corners[at(b)]) cornerOf[at(p)] = b;
        },
        [&] { buckets.emplace(comparison); });
    // Each corner's twin among the comparison's points (-1: none), looked up
    // the first time a wanted triangle meets it; both threads may look up a
    // corner their triangles share, and find the same.
    constexpr std::int32_t kNotLookedUp = -2;
    std::vector<std::int32_t> twinPoint(site.points.size(), kNotLookedUp);
    const auto twinOf = [&](std::int32_t p) {
        std::atomic_ref<std::int32_t> known(twinPoint[at(p)]);
        std::int32_t q = known.load(std::memory_order_relaxed);
        if (q == kNotLookedUp) {
            q = buckets->find(site.points[at(p)].x, site.points[at(p)].y);
            known.store(q, std::memory_order_relaxed);
            // A corner of a triangle with area lies strictly inside no other.
            if (q >= 0) std::atomic_ref<std::uint8_t>(shared.comparisonPointShared[at(q)]).store(1, std::memory_order_relaxed);
        }
        return q;
    };
    const auto findRange = [&](int first, int last) {
        for (int t = first; t < last; ++t) {
            if (!wanted[at(t)] || !site.hasArea[at(t)]) continue;
            const std::array<std::int32_t, 3>& c = site.corners[at(t)];
            const std::int32_t q0 = twinOf(c[0]), q1 = twinOf(c[1]), q2 = twinOf(c[2]);
            // A point no triangle with area uses has no twin triangle.
            if (q0 >= 0 && q1 >= 0 && q2 >= 0 && cornerOf[at(q0)] >= 0)
                shared.twin[at(t)] = triangleWith(comparison, cornerOf[at(q0)], q0, q1, q2);
        }
    };
    const int half = site.triangleCount() / 2;
    runOnTwoCores([&] { findRange(half, site.triangleCount()); }, [&] { findRange(0, half); });
    return shared;
}

}  // namespace vellacor
