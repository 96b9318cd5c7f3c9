#include "import/usgs_profiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <unordered_map>
#include <vector>

#include "import/mapped_file.h"
#include "import/point_file.h"

namespace vellacor {

namespace {

constexpr double kTolerance = 0.001;

bool near(double a, double b) { return a - b <= kTolerance && b - a <= kTolerance; }

std::int64_t northingCell(double northing) { return static_cast<std::int64_t>(std::floor(northing / kTolerance)); }

// The points filed by northing cell so that the latest point of a northing
// is found without walking back through the profiles point by point. A match
// for a northing lies in its own cell or one of the two beside it; in the
// cell below only points high enough match, in the cell above only points low
// enough. So each cell keeps two stacks: the points whose northing is above
// (below) that of every later point of the cell. A point left off a stack has
// a later point at least as close to any northing searched from that side,
// and the later point is the one wanted. Along a stack northings fall (rise)
// as indices rise, so the matches are a run at its bottom: a binary search
// finds the last of them, the latest. O(log points) a search, even when
// crafted northings crowd one cell.
class NorthingIndex {
public:
    explicit NorthingIndex(const std::vector<SurveyPoint>& points) : points_(points) {}

    void add(int index) {
        const double n = northing(index);
        Cell& cell = cells_[northingCell(n)];
        while (!cell.highest.empty() && northing(cell.highest.back()) <= n) cell.highest.pop_back();
        cell.highest.push_back(index);
        while (!cell.lowest.empty() && northing(cell.lowest.back()) >= n) cell.lowest.pop_back();
        cell.lowest.push_back(index);
    }

    // The largest index j >= low filed so far whose northing is within the
    // tolerance of `n`; -1 when there is none.
    int latest(double n, int low) const {
        const std::int64_t centre = northingCell(n);
        int found = -1;
        const auto take = [&](int j) {
            if (j >= low && j > found && near(northing(j), n)) found = j;
        };
        if (const Cell* below = cellAt(centre - 1)) take(lastMatch(below->highest, n));
        if (const Cell* above = cellAt(centre + 1)) take(lastMatch(above->lowest, n));
        if (const Cell* own = cellAt(centre)) {
            take(own->highest.back());  // the cell's latest point, within the tolerance of any northing in the cell
            take(lastMatch(own->highest, n));
            take(lastMatch(own->lowest, n));
        }
        return found;
    }

private:
    struct Cell {
        std::vector<int> highest;  // northings falling as indices rise
        std::vector<int> lowest;   // northings rising as indices rise
    };

    double northing(int index) const { return points_[static_cast<std::size_t>(index)].northing; }

    const Cell* cellAt(std::int64_t cell) const {
        const auto it = cells_.find(cell);
        return it == cells_.end() ? nullptr : &it->second;
    }

    // The last index of the matching run at the bottom of a stack; -1 when none.
    int lastMatch(const std::vector<int>& stack, double n) const {
        const auto end = std::partition_point(stack.begin(), stack.end(), [&](int j) { return near(northing(j), n); });
        return end == stack.begin() ? -1 : *(end - 1);
    }

    const std::vector<SurveyPoint>& points_;
    std::unordered_map<std::int64_t, Cell> cells_;
};

void joinProfiles(const std::vector<SurveyPoint>& points, std::vector<TinTriangle>& triangles) {
    const int count = static_cast<int>(points.size());
    const auto easting = [&](int k) { return points[static_cast<std::size_t>(k)].easting; };
    // before[k]: the nearest index below k whose easting is below k's (-1 if
    // none), so a backward walk from k that stops at the first easting below
    // k's ends at before[k] (a monotonic stack, O(points) in all).
    std::vector<int> before(static_cast<std::size_t>(count), -1);
    std::vector<int> stack;
    for (int k = 0; k < count; ++k) {
        while (!stack.empty() && !(easting(stack.back()) < easting(k))) stack.pop_back();
        before[static_cast<std::size_t>(k)] = stack.empty() ? -1 : stack.back();
        stack.push_back(k);
    }
    NorthingIndex index(points);
    index.add(0);
    bool firstProfile = true;
    double previousEasting = 0;
    int low = 0;  // the walk back from i - 1 covers [low, i)
    for (int i = 1; i + 1 < count; ++i) {
        if (easting(i) != easting(i - 1)) {
            firstProfile = false;
            previousEasting = easting(i - 1);
            low = before[static_cast<std::size_t>(i - 1)] + 1;
        } else if (!firstProfile && easting(i - 1) < previousEasting) {
            low = i;  // the walk would stop at once
        }
        if (!firstProfile) {
            const int j = index.latest(points[static_cast<std::size_t>(i)].northing, low);
            // Both triangles need j's profile to go on past j: when j is the
            // top of its profile, j + 1 starts the next one and the second
            // triangle would lie along a single profile, with no area.
            if (j >= 0 && j + 1 != i && near(easting(j + 1), easting(j))) {
                triangles.push_back(triangleOf(i, j + 1, j));
                if (near(easting(i + 1), easting(i))) triangles.push_back(triangleOf(i, i + 1, j + 1));
            }
        }
        index.add(i);
    }
}

}  // namespace

SurfaceReadResult readUsgsXyzText(std::string_view text) {
    SurfaceReadResult result;
    try {
        PointReadResult read = readXyzText(text);
        result.points = std::move(read.points);
        result.skipped = std::move(read.skipped);
    } catch (const std::bad_alloc&) {
        result.message = kPointsNotAllocated;
        return result;
    }
    try {
        result.triangles.reserve(2 * result.points.size());
    } catch (const std::bad_alloc&) {
        result.message = kTrianglesNotAllocated;
        return result;
    }
    if (result.points.size() >= 2) joinProfiles(result.points, result.triangles);
    result.trianglesMade = true;
    return result;
}

std::optional<SurfaceReadResult> readUsgsXyzFile(const std::string& path) {
    MappedFile file;
    if (!file.open(path)) return std::nullopt;
    return readUsgsXyzText(file.bytes());
}

}  // namespace vellacor
