#include "surface/contour_export.h"

#include <algorithm>
#include <cmath>

#include "app/site_model.h"
#include "surface/contour_join.h"
#include "surface/contour_levels.h"
#include "surface/contour_limit.h"
#include "surface/contour_segment.h"

namespace vellacor {

namespace {

// More levels than this are not a contour map; the tracer stops there.
constexpr std::size_t kMostLevels = 1000000;
constexpr double kFlat = 0.001;

std::vector<double> exportLevels(const SiteModel& model, double interval) {
    std::vector<double> levels;
    for (double level = firstLevel(model.document.minElevation, interval); level <= model.document.maxElevation;) {
        levels.push_back(level);
        const double next = level + interval;
        if (next <= level || levels.size() >= kMostLevels) break;
        level = next;
    }
    return levels;
}

// For every level, the triangles that may carry it, in triangle order: a
// level can only meet a triangle within its elevation range (a flat edge on
// the level within 0.001 of it). Scanning each triangle's own levels keeps the
// work proportional to the contours, however many levels there are.
void bucketTrianglesByLevel(const SiteModel& model, const std::vector<double>& levels, double interval,
                            std::vector<std::int32_t>& start, std::vector<std::int32_t>& members) {
    const std::int64_t levelCount = static_cast<std::int64_t>(levels.size());
    const double first = levels.front();
    auto forEachLevel = [&](int t, auto&& visit) {
        const TinTriangle& triangle = model.document.triangles[static_cast<std::size_t>(t)];
        double zMin = model.document.points[static_cast<std::size_t>(triangle.vertex[0])].elevation, zMax = zMin;
        for (int k = 1; k < 3; ++k) {
            const double z = model.document.points[static_cast<std::size_t>(triangle.vertex[k])].elevation;
            zMin = std::min(zMin, z);
            zMax = std::max(zMax, z);
        }
        const double lo = zMin - kFlat, hi = zMax + kFlat;
        const double from = std::clamp(std::floor((lo - first) / interval) - 1.0, 0.0, static_cast<double>(levelCount));
        const double to =
            std::clamp(std::ceil((hi - first) / interval) + 1.0, 0.0, static_cast<double>(levelCount - 1));
        for (auto k = static_cast<std::int64_t>(from); k <= static_cast<std::int64_t>(to); ++k)
            if (levels[static_cast<std::size_t>(k)] >= lo && levels[static_cast<std::size_t>(k)] <= hi)
                visit(static_cast<std::size_t>(k));
    };
    start.assign(levels.size() + 1, 0);
    for (int t = 0; t < model.document.triangleCount; ++t)
        if (!isFlatTriangle(model, t)) forEachLevel(t, [&](std::size_t k) { ++start[k + 1]; });
    for (std::size_t k = 1; k < start.size(); ++k) start[k] += start[k - 1];
    members.resize(static_cast<std::size_t>(start.back()));
    std::vector<std::int32_t> fill(start.begin(), start.end() - 1);
    for (int t = 0; t < model.document.triangleCount; ++t)
        if (!isFlatTriangle(model, t))
            forEachLevel(t, [&](std::size_t k) { members[static_cast<std::size_t>(fill[k]++)] = t; });
}

}  // namespace

std::vector<ExportPolyline> traceContoursForExport(const SiteModel& model) {
    std::vector<ExportPolyline> result;
    const double interval = model.document.contours.contourInterval;
    if (!model.document.triangulateStage.done.load(std::memory_order_acquire) || model.document.triangleCount <= 0 || !(interval > 0.0) ||
        contoursLimitedAway(model))
        return result;
    const std::vector<double> levels = exportLevels(model, interval);
    if (levels.empty()) return result;

    std::vector<std::int32_t> start, members;
    bucketTrianglesByLevel(model, levels, interval, start, members);
    const double smoothing = model.document.contourStage.done.load(std::memory_order_acquire) ? model.document.contours.contourSmoothing : 0.0;

    ContourPieces pieces;
    std::vector<Vec3> polyline;
    for (std::size_t k = 0; k < levels.size(); ++k) {
        const int count = start[k + 1] - start[k];
        if (count == 0) continue;
        collectContourPieces(model, levels[k], smoothing, members.data() + start[k], count, pieces);
        PolylineJoiner joiner(pieces);
        while (joiner.next(polyline)) result.push_back({levels[k], isMajor(levels[k], interval), polyline});
    }
    return result;
}

}  // namespace vellacor
