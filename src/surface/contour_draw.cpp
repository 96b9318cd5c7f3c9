#include "surface/contour_draw.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/site_document.h"
#include "surface/contour_levels.h"
#include "surface/contour_limit.h"
#include "surface/contour_smoothing.h"

namespace vellacor {

namespace {

void drawPiece(const ContourSettings& settings, const ContourPiece& piece, std::uint8_t colour, ContourLineSink& sink,
               std::vector<Vec3>& pairs) {
    pairs.clear();
    for (int i = 0; i + 1 < piece.count; ++i) limitContourPiece(settings, piece.point[i], piece.point[i + 1], pairs);
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) sink.line(pairs[i], pairs[i + 1], colour);
}

// Smoothing follows the neighbour triangles: without the links the pieces stay straight.
double smoothingInEffect(const SiteDocument& document, bool straight) {
    if (straight || !document.contourStage.done.load(std::memory_order_acquire)) return 0.0;
    return document.contours.contourSmoothing;
}

// The triangles' neighbour links are current: a level grazing a ridge can be told.
bool linksKnown(const SiteDocument& document) { return document.contourStage.done.load(std::memory_order_acquire); }

bool contoursShown(const SiteDocument& document) {
    return document.triangulateStage.done.load(std::memory_order_acquire) && !contoursLimitedAway(document.contours);
}

}  // namespace

namespace {

// floor() without a library call; the values here are far inside the range of a 64-bit integer.
double floorFast(double x) {
    const double t = static_cast<double>(static_cast<std::int64_t>(x));
    return t > x ? t - 1.0 : t;
}

bool levelMayCross(double z0, double z1, double z2, double inverseInterval) {
    // A flat triangle carries no contour.
    if (std::fabs(z1 - z0) < 0.001 && std::fabs(z2 - z0) < 0.001) return false;
    // Levels are multiples of the interval. Most triangles of a large surface
    // hold none: reject those before the exact level arithmetic, with a margin
    // (far above the rounding of the scaled values) that keeps every
    // borderline case for the exact test.
    const double zMin = std::min({z0, z1, z2}), zMax = std::max({z0, z1, z2});
    return floorFast((zMin - 0.001) * inverseInterval - 1e-9) != floorFast(zMax * inverseInterval + 1e-9);
}

}  // namespace

bool anyLevelMayCross(double z0, double z1, double z2, double interval) {
    return levelMayCross(z0, z1, z2, 1.0 / interval);
}

namespace {

// Scratch space reused from triangle to triangle.
struct DrawScratch {
    std::vector<Vec3> pairs;
    ContourPiece piece;
    std::vector<int> crossed;  // the triangles a level may cross
    std::vector<double> majorLevels;  // those through one triangle, drawn after its minor ones
};

// Asks for memory to be brought into the cache ahead of use, where the compiler can.
void prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// How many triangles ahead the contour pass fetches records: enough to cover
// a trip to memory while the triangles between are drawn.
constexpr std::size_t kFetchAhead = 8;

// The records drawing triangle t reads: the triangle's and its corner points'.
void prefetchTriangle(const SurfaceView& surface, const ContourCornerCache& cache, int t) {
    prefetch(&surface.triangles[static_cast<std::size_t>(t)]);
    for (const std::int32_t v : cache.corners[static_cast<std::size_t>(t)])
        prefetch(&surface.points[static_cast<std::size_t>(v)]);
}

void drawTriangle(const SurfaceView& surface, const ContourSettings& settings, int t, ContourLineSink& sink,
                  double smoothing, bool linked, DrawScratch& scratch) {
    std::vector<Vec3>& pairs = scratch.pairs;
    ContourPiece& piece = scratch.piece;
    const double interval = settings.contourInterval;
    if (!(interval > 0.0)) return;
    const TinTriangle& triangle = surface.triangles[static_cast<std::size_t>(t)];
    double z[3];
    for (int k = 0; k < 3; ++k) z[k] = surface.points[static_cast<std::size_t>(triangle.vertex[k])].elevation;
    if (!anyLevelMayCross(z[0], z[1], z[2], interval)) return;
    const double zMin = std::min({z[0], z[1], z[2]}), zMax = std::max({z[0], z[1], z[2]});
    // Minor levels first, so the major ones are drawn over them.
    // A level more than the flat-edge tolerance below the lowest corner cannot
    // touch the triangle: skip it before the costlier tests.
    const double lowest = zMin - 0.001;
    // One walk over the levels draws the minor ones and keeps the major ones
    // for afterwards, so each level is classified once.
    std::vector<double>& majors = scratch.majorLevels;
    majors.clear();
    forEachContourLevel(zMin, zMax, interval, [&](double level) {
        if (level < lowest) return;
        if (isMajor(level, interval))
            majors.push_back(level);
        else if (contourPieceOf(surface, t, level, smoothing, piece, linked))
            drawPiece(settings, piece, kMinorContour, sink, pairs);
    });
    for (const double level : majors)
        if (contourPieceOf(surface, t, level, smoothing, piece, linked)) drawPiece(settings, piece, kMajorContour, sink, pairs);
}

}  // namespace

void drawTriangleContours(const SiteDocument& document, int t, ContourLineSink& sink, bool straight) {
    DrawScratch scratch;
    drawTriangle(surfaceOf(document), document.contours, t, sink, smoothingInEffect(document, straight),
                 linksKnown(document), scratch);
}

void drawContoursOver(const SurfaceView& triangles, const SiteDocument& document, ContourLineSink& sink) {
    if (!contoursShown(document)) return;
    DrawScratch scratch;
    for (int t = 0; t < triangles.triangleCount; ++t)
        drawTriangle(triangles, document.contours, t, sink, 0.0, false, scratch);
}

void traceContoursByTriangle(const SurfaceView& triangles, const SiteDocument& document,
                             std::vector<ContourLine>& lines, std::vector<std::int32_t>& start) {
    class Collect : public ContourLineSink {
    public:
        explicit Collect(std::vector<ContourLine>& lines) : lines_(lines) {}
        void line(const Vec3& from, const Vec3& to, std::uint8_t colour) override { lines_.push_back({from, to, colour}); }

    private:
        std::vector<ContourLine>& lines_;
    } collect(lines);
    lines.clear();
    start.assign(static_cast<std::size_t>(triangles.triangleCount) + 1, 0);
    const bool shown = contoursShown(document);
    DrawScratch scratch;
    for (int t = 0; t < triangles.triangleCount; ++t) {
        if (shown) drawTriangle(triangles, document.contours, t, collect, 0.0, false, scratch);
        start[static_cast<std::size_t>(t) + 1] = static_cast<std::int32_t>(lines.size());
    }
}

void drawSurfaceContours(const SiteDocument& document, ContourLineSink& sink, bool straight) {
    if (!contoursShown(document)) return;
    const SurfaceView surface = surfaceOf(document);
    const double smoothing = smoothingInEffect(document, straight);
    const bool linked = linksKnown(document);
    DrawScratch scratch;
    for (int t = 0; t < surface.triangleCount; ++t)
        drawTriangle(surface, document.contours, t, sink, smoothing, linked, scratch);
}

void drawSurfaceContours(const SiteDocument& document, ContourLineSink& sink, bool straight,
                         const ContourCornerCache& cache) {
    if (!contoursShown(document)) return;
    const SurfaceView surface = surfaceOf(document);
    if (cache.corners.size() != static_cast<std::size_t>(surface.triangleCount) ||
        cache.elevations.size() < static_cast<std::size_t>(surface.pointCount)) {
        drawSurfaceContours(document, sink, straight);
        return;
    }
    const double smoothing = smoothingInEffect(document, straight);
    const bool linked = linksKnown(document);
    const double interval = document.contours.contourInterval;
    if (!(interval > 0.0)) return;
    DrawScratch scratch;
    const double inverse = 1.0 / interval;
    const double* z = cache.elevations.data();
    // The packed lists pick out the few triangles to draw first, so their
    // large records can be fetched a few triangles ahead of drawing them.
    std::vector<int>& crossed = scratch.crossed;
    for (int t = 0; t < surface.triangleCount; ++t) {
        const auto& c = cache.corners[static_cast<std::size_t>(t)];
        if (levelMayCross(z[c[0]], z[c[1]], z[c[2]], inverse)) crossed.push_back(t);
    }
    for (std::size_t i = 0; i < crossed.size(); ++i) {
        if (i + kFetchAhead < crossed.size()) prefetchTriangle(surface, cache, crossed[i + kFetchAhead]);
        drawTriangle(surface, document.contours, crossed[i], sink, smoothing, linked, scratch);
    }
}

}  // namespace vellacor
