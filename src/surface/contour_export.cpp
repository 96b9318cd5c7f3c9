#include "surface/contour_export.h"

#include <algorithm>
#include <cmath>

#include "model/site_document.h"
#include "surface/contour_join.h"
#include "surface/contour_levels.h"
#include "surface/contour_limit.h"
#include "surface/contour_segment.h"
#include "system/two_cores.h"

namespace vellacor {

namespace {

constexpr double kFlat = 0.001;

// A triangle's lowest and highest corner, or NaN for a flat triangle (one no
// level crosses). The corners lie anywhere in the point array, so reading them
// is the slow part of the level passes: it is done once, on both cores, into
// a compact array the passes then read in order.
struct HeightSpan {
    double zMin, zMax;
};

HeightSpan heightSpanOf(const SurfaceView& surface, int t) {
    if (isFlatTriangle(surface, t)) return {std::nan(""), std::nan("")};
    const TinTriangle& triangle = surface.triangles[static_cast<std::size_t>(t)];
    double zMin = surface.points[static_cast<std::size_t>(triangle.vertex[0])].elevation, zMax = zMin;
    for (int k = 1; k < 3; ++k) {
        const double z = surface.points[static_cast<std::size_t>(triangle.vertex[k])].elevation;
        zMin = std::min(zMin, z);
        zMax = std::max(zMax, z);
    }
    return {zMin, zMax};
}

std::vector<HeightSpan> heightSpansOf(const SurfaceView& surface) {
    const int count = std::max(surface.triangleCount, 0);
    std::vector<HeightSpan> spans(static_cast<std::size_t>(count));
    auto fill = [&](int from, int to) {
        for (int t = from; t < to; ++t) spans[static_cast<std::size_t>(t)] = heightSpanOf(surface, t);
    };
    const int middle = count / 2;
    runOnTwoCores([&] { fill(middle, count); }, [&] { fill(0, middle); });
    return spans;
}

bool isFlat(const HeightSpan& span) { return std::isnan(span.zMin); }

// The levels (as indices into `levels`, from, to) that may meet a triangle,
// with one to spare either side; lo and hi its elevation range widened by
// the flat tolerance. O(1).
struct LevelRange {
    std::int64_t from, to;
    double lo, hi;
};

LevelRange levelRangeOf(const HeightSpan& span, double first, double interval, std::int64_t levelCount) {
    const double lo = span.zMin - kFlat, hi = span.zMax + kFlat;
    const double from = std::clamp(std::floor((lo - first) / interval) - 1.0, 0.0, static_cast<double>(levelCount));
    const double to = std::clamp(std::ceil((hi - first) / interval) + 1.0, 0.0, static_cast<double>(levelCount - 1));
    return {static_cast<std::int64_t>(from), static_cast<std::int64_t>(to), lo, hi};
}

// Each triangle's span of levels is added to a running count per level
// without visiting them.
std::size_t levelsWithinReason(const std::vector<HeightSpan>& spans, const std::vector<double>& levels,
                               double interval) {
    if (levels.empty()) return 0;
    const std::int64_t levelCount = static_cast<std::int64_t>(levels.size());
    std::vector<std::int64_t> change(levels.size() + 1, 0);
    for (const HeightSpan& span : spans) {
        if (isFlat(span)) continue;
        const LevelRange r = levelRangeOf(span, levels.front(), interval, levelCount);
        if (r.from > r.to) continue;
        ++change[static_cast<std::size_t>(r.from)];
        --change[static_cast<std::size_t>(r.to + 1)];
    }
    std::int64_t meeting = 0, crossings = 0;
    for (std::size_t k = 0; k < levels.size(); ++k) {
        meeting += change[k];
        if ((crossings += meeting) > kMostContourCrossings) return k;
    }
    return levels.size();
}

// For every level, the triangles that may carry it, in triangle order: a
// level can only meet a triangle within its elevation range (a flat edge on
// the level within 0.001 of it). Scanning each triangle's own levels keeps the
// work proportional to the contours, however many levels there are.
void bucketTrianglesByLevel(const std::vector<HeightSpan>& spans, const std::vector<double>& levels, double interval,
                            std::vector<std::int32_t>& start, std::vector<std::int32_t>& members) {
    const std::int64_t levelCount = static_cast<std::int64_t>(levels.size());
    const double first = levels.front();
    auto forEachLevel = [&](const HeightSpan& span, auto&& visit) {
        if (isFlat(span)) return;
        const LevelRange r = levelRangeOf(span, first, interval, levelCount);
        for (std::int64_t k = r.from; k <= r.to; ++k)
            if (levels[static_cast<std::size_t>(k)] >= r.lo && levels[static_cast<std::size_t>(k)] <= r.hi)
                visit(static_cast<std::size_t>(k));
    };
    start.assign(levels.size() + 1, 0);
    for (const HeightSpan& span : spans) forEachLevel(span, [&](std::size_t k) { ++start[k + 1]; });
    for (std::size_t k = 1; k < start.size(); ++k) start[k] += start[k - 1];
    members.resize(static_cast<std::size_t>(start.back()));
    std::vector<std::int32_t> fill(start.begin(), start.end() - 1);
    for (std::size_t t = 0; t < spans.size(); ++t)
        forEachLevel(spans[t], [&](std::size_t k) { members[static_cast<std::size_t>(fill[k]++)] = static_cast<std::int32_t>(t); });
}

}  // namespace

std::size_t contourLevelsWithinReason(const SurfaceView& surface, const std::vector<double>& levels, double interval) {
    if (levels.empty()) return 0;
    return levelsWithinReason(heightSpansOf(surface), levels, interval);
}

std::vector<ExportPolyline> traceContours(const SurfaceView& surface, const ContourSettings& settings, double smoothing,
                                          double minElevation, double maxElevation) {
    std::vector<ExportPolyline> result;
    const double interval = settings.contourInterval;
    if (surface.triangleCount <= 0 || !(interval > 0.0) || contoursLimitedAway(settings)) return result;
    std::vector<double> levels;
    forEachContourLevel(minElevation, maxElevation, interval, [&](double level) { levels.push_back(level); });
    if (levels.empty()) return result;
    std::vector<HeightSpan> spans = heightSpansOf(surface);
    levels.resize(levelsWithinReason(spans, levels, interval));
    if (levels.empty()) return result;

    std::vector<std::int32_t> start, members;
    bucketTrianglesByLevel(spans, levels, interval, start, members);
    std::vector<HeightSpan>().swap(spans);

    ContourPieces pieces;
    std::vector<Vec3> polyline;
    for (std::size_t k = 0; k < levels.size(); ++k) {
        const int count = start[k + 1] - start[k];
        if (count == 0) continue;
        collectContourPieces(surface, settings, levels[k], smoothing, members.data() + start[k], count, pieces);
        PolylineJoiner joiner(pieces);
        while (joiner.next(polyline)) result.push_back({levels[k], isMajor(levels[k], interval), polyline});
    }
    return result;
}

std::vector<ExportPolyline> traceContoursForExport(const SiteDocument& document) {
    if (!document.triangulateStage.done.load(std::memory_order_acquire)) return {};
    // Smoothing follows the neighbour triangles: without the links the pieces stay straight.
    const double smoothing =
        document.contourStage.done.load(std::memory_order_acquire) ? document.contours.contourSmoothing : 0.0;
    return traceContours(surfaceOf(document), document.contours, smoothing, document.minElevation,
                         document.maxElevation);
}

}  // namespace vellacor
