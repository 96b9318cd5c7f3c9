#include "surface/contour_draw.h"

#include <algorithm>
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
    if (!(interval > 0.0) || isFlatTriangle(model, t)) return;
    const TinTriangle& triangle = model.triangles[static_cast<std::size_t>(t)];
    double zMin = model.points[static_cast<std::size_t>(triangle.vertex[0])].elevation, zMax = zMin;
    for (int k = 1; k < 3; ++k) {
        const double z = model.points[static_cast<std::size_t>(triangle.vertex[k])].elevation;
        zMin = std::min(zMin, z);
        zMax = std::max(zMax, z);
    }
    // Minor levels first, so the major ones are drawn over them.
    ContourPiece piece;
    for (const bool major : {false, true}) {
        for (double level = firstLevel(zMin, interval); level <= zMax;) {
            if (isMajor(level, interval) == major && contourPieceOf(model, t, level, smoothing, piece))
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
