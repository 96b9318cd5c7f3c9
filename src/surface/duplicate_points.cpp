#include "surface/duplicate_points.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace vellacor {

namespace {

constexpr double kCell = 0.05;    // ten times the tolerance: most searches look at one cell
constexpr double kReach = 0.006;  // the tolerance plus a margin for rounding near cell borders

std::int64_t cellOf(double v) {
    const double q = std::floor(v / kCell);
    return static_cast<std::int64_t>(std::clamp(q, -4.0e18, 4.0e18));
}

}  // namespace

std::vector<std::int32_t> findDuplicatePositions(const double* easting, const double* northing,
                                                 const std::int32_t* pointIndex, int count) {
    std::vector<std::int32_t> dropped;
    if (count < 2) return dropped;

    auto later = [&](int a, int b) {
        if (easting[a] != easting[b]) return easting[a] > easting[b];
        if (northing[a] != northing[b]) return northing[a] > northing[b];
        return pointIndex[a] > pointIndex[b];
    };

    // Cells hashed into buckets; a bucket may mix cells, which only adds candidates.
    const int bits = std::max(1, static_cast<int>(std::bit_width(static_cast<std::uint32_t>(count))));
    const std::size_t buckets = std::size_t{1} << bits;
    auto bucketOf = [&](std::int64_t cx, std::int64_t cy) {
        const std::uint64_t h = static_cast<std::uint64_t>(cx) * 0x9E3779B97F4A7C15ull ^
                                static_cast<std::uint64_t>(cy) * 0xC2B2AE3D27D4EB4Full;
        return static_cast<std::size_t>((h ^ (h >> 29)) & (buckets - 1));
    };

    std::vector<std::int32_t> start(buckets + 1, 0);
    std::vector<std::int32_t> members(static_cast<std::size_t>(count));
    std::vector<std::uint32_t> bucketOfPoint(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::size_t b = bucketOf(cellOf(easting[i]), cellOf(northing[i]));
        bucketOfPoint[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(b);
        ++start[b + 1];
    }
    for (std::size_t b = 1; b <= buckets; ++b) start[b] += start[b - 1];
    {
        std::vector<std::int32_t> fill(start.begin(), start.end() - 1);
        for (int i = 0; i < count; ++i) members[static_cast<std::size_t>(fill[bucketOfPoint[static_cast<std::size_t>(i)]]++)] = i;
    }
    // Latest first, so a search stops at the first member that is not later.
    for (std::size_t b = 0; b < buckets; ++b)
        if (start[b + 1] - start[b] > 1)
            std::sort(members.begin() + start[b], members.begin() + start[b + 1], later);

    for (int i = 0; i < count; ++i) {
        const double e = easting[i], n = northing[i];
        const std::int64_t x0 = cellOf(e - kReach), x1 = cellOf(e + kReach);
        const std::int64_t y0 = cellOf(n - kReach), y1 = cellOf(n + kReach);
        std::size_t searched[4];
        int searchedCount = 0;
        bool duplicate = false;
        for (std::int64_t cx = x0; cx <= x1 && !duplicate; ++cx) {
            for (std::int64_t cy = y0; cy <= y1 && !duplicate; ++cy) {
                const std::size_t b = bucketOf(cx, cy);
                if (std::find(searched, searched + searchedCount, b) != searched + searchedCount) continue;
                if (searchedCount < 4) searched[searchedCount++] = b;
                for (std::int32_t m = start[b]; m < start[b + 1]; ++m) {
                    const int j = members[static_cast<std::size_t>(m)];
                    if (!later(j, i)) break;
                    if (std::fabs(e - easting[j]) < kSamePosition && std::fabs(n - northing[j]) < kSamePosition) {
                        duplicate = true;
                        break;
                    }
                }
            }
        }
        if (duplicate) dropped.push_back(i);
    }
    return dropped;
}

}  // namespace vellacor
