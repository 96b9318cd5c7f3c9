#include "surface/contour_draw.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/site_model.h"
#include "surface/contour_levels.h"
#include "surface/contour_limit.h"
#include "surface/contour_smoothing.h"

namespace vellacor {

namespace {

void drawPiece(const SiteModel& model, const ContourPiece& piece, std::uint8_t colour, ContourLineSink& sink,
               std::vector<Vec3>& pairs) {
    pairs.clear();
    for (int i = 0; i + 1 < piece.count; ++i) limitContourPiece(model, piece.point[i], piece.point[i + 1], pairs);
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) sink.line(pairs[i], pairs[i + 1], colour);
}

double smoothingInEffect(const SiteModel& model, bool straight) {
    if (straight || !model.contourStage.done.load(std::memory_order_acquire)) return 0.0;
    return model.contourSmoothing;
}

void drawTriangle(const SiteModel& model, int t, ContourLineSink& sink, double smoothing, std::vector<Vec3>& pairs) {
    const double interval = model.contourInterval;
    if (!(interval > 0.0)) return;
    const TinTriangle& triangle = model.triangles[static_cast<std::size_t>(t)];
    double z[3];
    for (int k = 0; k < 3; ++k) z[k] = model.points[static_cast<std::size_t>(triangle.vertex[k])].elevation;
    // A flat triangle carries no contour.
    if (std::fabs(z[1] - z[0]) < 0.001 && std::fabs(z[2] - z[0]) < 0.001) return;
    const double zMin = std::min({z[0], z[1], z[2]}), zMax = std::max({z[0], z[1], z[2]});
    // Levels are multiples of the interval. Most triangles of a large surface
    // hold none: reject those before the exact level arithmetic, with a margin
    // that keeps every borderline case for the exact test.
    if (std::floor((zMin - 0.001) / interval - 1e-9) == std::floor(zMax / interval + 1e-9)) return;
    // Minor levels first, so the major ones are drawn over them.
    ContourPiece piece;
    const double first = firstLevel(zMin, interval);
    // A level more than the flat-edge tolerance below the lowest corner cannot
    // touch the triangle: skip it before the costlier tests.
    const double lowest = zMin - 0.001;
    for (const bool major : {false, true}) {
        for (double level = first; level <= zMax;) {
            if (level >= lowest && isMajor(level, interval) == major &&
                contourPieceOf(model, t, level, smoothing, piece))
                drawPiece(model, piece, major ? kMajorContour : kMinorContour, sink, pairs);
            const double next = level + interval;
            if (next <= level) break;  // an interval below the levels' precision
            level = next;
        }
    }
}

}  // namespace

void drawTriangleContours(const SiteModel& model, int t, ContourLineSink& sink, bool straight) {
    std::vector<Vec3> pairs;
    drawTriangle(model, t, sink, smoothingInEffect(model, straight), pairs);
}

void drawSurfaceContours(const SiteModel& model, ContourLineSink& sink, bool straight) {
    if (!model.triangulateStage.done.load(std::memory_order_acquire) || contoursLimitedAway(model)) return;
    const double smoothing = smoothingInEffect(model, straight);
    std::vector<Vec3> pairs;
    for (int t = 0; t < model.triangleCount; ++t) drawTriangle(model, t, sink, smoothing, pairs);
}

}  // namespace vellacor
