#include "model/point_thinning.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "model/site_document.h"

namespace vellacor {

namespace {

// Squares a row or column may hold: each is half of a 64-bit key.
constexpr double kMostSquares = static_cast<double>(std::numeric_limits<std::uint32_t>::max());

// The square's column or row, counted from the site's edge.
std::uint64_t squareOf(double coordinate, double origin, double cell) {
    return static_cast<std::uint64_t>(std::clamp(std::floor((coordinate - origin) / cell), 0.0, kMostSquares));
}

}  // namespace

ThinningResult thinToLowestPerCell(SiteDocument& document, double cell) {
    const int count = document.pointCount;
    ThinningResult result{count, count};
    if (!(cell > 0) || !std::isfinite(cell) || count < 2) return result;
    const std::size_t n = static_cast<std::size_t>(count);
    std::vector<SurveyPoint>& points = document.points;
    double originX = points[0].easting, originY = points[0].northing, farX = originX, farY = originY;
    for (std::size_t i = 1; i < n; ++i) {
        originX = std::min(originX, points[i].easting), farX = std::max(farX, points[i].easting);
        originY = std::min(originY, points[i].northing), farY = std::max(farY, points[i].northing);
    }
    // A cell so fine that the keys cannot tell its squares apart (thousands
    // of kilometres in millimetres) would merge points: every one is kept.
    if (!((farX - originX) / cell < kMostSquares && (farY - originY) / cell < kMostSquares)) return result;
    struct Keyed {
        std::uint64_t square;
        std::uint32_t index;
    };
    std::vector<Keyed> keyed(n);
    for (std::size_t i = 0; i < n; ++i)
        keyed[i] = {squareOf(points[i].easting, originX, cell) << 32 | squareOf(points[i].northing, originY, cell),
                    static_cast<std::uint32_t>(i)};
    std::sort(keyed.begin(), keyed.end(),
              [](const Keyed& a, const Keyed& b) { return a.square < b.square || (a.square == b.square && a.index < b.index); });
    // Each square's lowest point, the first in file order among equals.
    std::vector<bool> keep(n, false);
    for (std::size_t first = 0; first < n;) {
        std::size_t lowest = first, end = first + 1;
        for (; end < n && keyed[end].square == keyed[first].square; ++end)
            if (points[keyed[end].index].elevation < points[keyed[lowest].index].elevation) lowest = end;
        keep[keyed[lowest].index] = true;
        first = end;
    }
    std::vector<Keyed>().swap(keyed);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (keep[i]) points[kept++] = points[i];
    document.pointCount = static_cast<int>(kept);
    result.kept = document.pointCount;
    return result;
}

}  // namespace vellacor
