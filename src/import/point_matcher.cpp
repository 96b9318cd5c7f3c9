#include "import/point_matcher.h"

#include <cmath>

namespace vellacor {

std::size_t PointMatcher::CellHash::operator()(const Cell& c) const {
    const auto mix = [](std::uint64_t h, std::int64_t v) {
        h ^= static_cast<std::uint64_t>(v) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
        return h;
    };
    return static_cast<std::size_t>(mix(mix(mix(0, c.x), c.y), c.z));
}

PointMatcher::Cell PointMatcher::cellOf(const Vec3& p) {
    const auto cell = [](double v) { return static_cast<std::int64_t>(std::floor(v / kTolerance)); };
    return {cell(p.x), cell(p.y), cell(p.z)};
}

void PointMatcher::add(int index, const Vec3& position) {
    std::vector<Entry>& cell = cells_[cellOf(position)];
    if (cell.size() < kMostInCell) cell.push_back({index, position});
}

// Each cell's entries are in increasing index order, so the best match of a
// cell is the first one met walking from the preferred end.
template <class Better>
int PointMatcher::find(const Vec3& position, Better better) const {
    const Cell centre = cellOf(position);
    int found = -1;
    for (std::int64_t dx = -1; dx <= 1; ++dx)
        for (std::int64_t dy = -1; dy <= 1; ++dy)
            for (std::int64_t dz = -1; dz <= 1; ++dz) {
                const auto it = cells_.find({centre.x + dx, centre.y + dy, centre.z + dz});
                if (it == cells_.end()) continue;
                const std::vector<Entry>& entries = it->second;
                const auto take = [&](const Entry& e) {
                    if (!coincide(e.position, position)) return false;
                    if (found < 0 || better(e.index, found)) found = e.index;
                    return true;
                };
                if (better(1, 0)) {
                    for (auto e = entries.rbegin(); e != entries.rend(); ++e)
                        if (take(*e)) break;
                } else {
                    for (const Entry& e : entries)
                        if (take(e)) break;
                }
            }
    return found;
}

int PointMatcher::latest(const Vec3& position) const {
    return find(position, [](int a, int b) { return a > b; });
}

int PointMatcher::first(const Vec3& position) const {
    return find(position, [](int a, int b) { return a < b; });
}

}  // namespace vellacor
