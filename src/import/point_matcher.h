#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/survey_point.h"

namespace vellacor {

// Finds points that coincide with a position, each coordinate within 0.001,
// without looking at every point: positions are filed in cells of 0.001 on
// each axis, so a match lies in one of the 27 cells around the position's own.
// Indices are filed in increasing order. Coordinates must be usable
// (isUsableCoordinate), which keeps every cell number in range.
//
// A cell files at most kMostInCell points. Points of one cell all coincide
// with each other, so real data hardly ever puts more than two or three in
// one; crafted near-duplicates could put thousands there, and every search
// beside the cell would walk them all. Past the bound a point is not filed,
// so a search costs at most 27 x kMostInCell comparisons.
class PointMatcher {
public:
    static constexpr double kTolerance = 0.001;
    static constexpr std::size_t kMostInCell = 16;

    // Files a point, unless its cell is full.
    void add(int index, const Vec3& position);
    // The largest (latest filed) or the smallest index of a coinciding point; -1 when none.
    int latest(const Vec3& position) const;
    int first(const Vec3& position) const;

private:
    struct Entry {
        int index;
        Vec3 position;
    };
    struct Cell {
        std::int64_t x, y, z;
        bool operator==(const Cell&) const = default;
    };
    struct CellHash {
        std::size_t operator()(const Cell& c) const;
    };
    static Cell cellOf(const Vec3& p);
    template <class Better>
    int find(const Vec3& position, Better better) const;

    std::unordered_map<Cell, std::vector<Entry>, CellHash> cells_;
};

inline bool coincide(const Vec3& a, const Vec3& b) {
    const double t = PointMatcher::kTolerance;
    return a.x - b.x <= t && b.x - a.x <= t && a.y - b.y <= t && b.y - a.y <= t && a.z - b.z <= t && b.z - a.z <= t;
}

}  // namespace vellacor
