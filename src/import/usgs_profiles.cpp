#include "import/usgs_profiles.h"

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

// The points filed by northing cell, in increasing index order, so that the
// latest point of a northing is found without walking back through the
// profiles point by point.
class NorthingIndex {
public:
    void add(int index, double northing) { cells_[northingCell(northing)].push_back(index); }

    // The largest index j in [low, high) whose northing is within the
    // tolerance of `northing`; -1 when there is none.
    int latest(const std::vector<SurveyPoint>& points, double northing, int low, int high) const {
        int found = -1;
        const std::int64_t centre = northingCell(northing);
        for (std::int64_t cell = centre - 1; cell <= centre + 1; ++cell) {
            const auto it = cells_.find(cell);
            if (it == cells_.end()) continue;
            const std::vector<int>& indices = it->second;
            for (auto j = indices.rbegin(); j != indices.rend() && *j >= low; ++j) {
                if (*j >= high || !near(points[static_cast<std::size_t>(*j)].northing, northing)) continue;
                if (*j > found) found = *j;
                break;
            }
        }
        return found;
    }

private:
    std::unordered_map<std::int64_t, std::vector<int>> cells_;
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
    NorthingIndex index;
    index.add(0, points[0].northing);
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
            const int j = index.latest(points, points[static_cast<std::size_t>(i)].northing, low, i);
            // Both triangles need j's profile to go on past j: when j is the
            // top of its profile, j + 1 starts the next one and the second
            // triangle would lie along a single profile, with no area.
            if (j >= 0 && j + 1 != i && near(easting(j + 1), easting(j))) {
                triangles.push_back(triangleOf(i, j + 1, j));
                if (near(easting(i + 1), easting(i))) triangles.push_back(triangleOf(i, i + 1, j + 1));
            }
        }
        index.add(i, points[static_cast<std::size_t>(i)].northing);
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
