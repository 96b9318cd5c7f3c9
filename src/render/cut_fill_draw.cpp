#include "render/cut_fill_draw.h"

#include <algorithm>
#include <cmath>

#include "render/palette.h"

namespace vellacor {

namespace {

// The vertex's difference, NaN when it has none.
double differenceAt(std::span<const double> difference, int vertex) {
    if (vertex < 0 || static_cast<std::size_t>(vertex) >= difference.size()) return std::nan("");
    return difference[static_cast<std::size_t>(vertex)];
}

}  // namespace

void cutFillShade(const SurfaceView& surface, std::span<const double> difference, double scale,
                  std::span<TriangleShade> shades) {
    constexpr double half = kCutFillZeroShade - kSurfaceRampFirst;
    for (int i = 0; i < surface.triangleCount; ++i) {
        const TinTriangle& t = surface.triangle(i);
        TriangleShade& s = shades[static_cast<std::size_t>(i)];
        double d[3];
        bool covered = true;
        for (int k = 0; k < 3; ++k) covered = covered && std::isfinite(d[k] = differenceAt(difference, t.vertex[k]));
        for (int k = 0; k < 3; ++k) {
            if (!covered) {
                s.shade[k] = kCutFillNeutralColour;
                continue;
            }
            const double r = scale > 0 ? d[k] / scale : 0.0;
            s.shade[k] = std::clamp(kCutFillZeroShade + half * r, double(kSurfaceRampFirst), double(kCutFillRampLast));
        }
    }
}

void traceZeroLine(const SurfaceView& surface, std::span<const double> difference, ContourLineSink& sink,
                   std::uint8_t colour) {
    for (int i = 0; i < surface.triangleCount; ++i) {
        const TinTriangle& t = surface.triangle(i);
        double d[3];
        bool covered = true;
        for (int k = 0; k < 3; ++k) covered = covered && std::isfinite(d[k] = differenceAt(difference, t.vertex[k]));
        if (!covered) continue;
        // A corner at exactly 0 counts as below, as the contour tracer counts a
        // corner on its level: the edges of a triangle cross it twice or not at all.
        Vec3 ends[2];
        int found = 0;
        for (int k = 0; k < 3 && found < 2; ++k) {
            const int a = k, b = (k + 1) % 3;
            if ((d[a] > 0) == (d[b] > 0)) continue;
            const double s = d[a] / (d[a] - d[b]);
            const Vec3 pa = positionOf(surface.point(t.vertex[a])), pb = positionOf(surface.point(t.vertex[b]));
            ends[found++] = {pa.x + (pb.x - pa.x) * s, pa.y + (pb.y - pa.y) * s, pa.z + (pb.z - pa.z) * s};
        }
        if (found == 2) sink.line(ends[0], ends[1], colour);
    }
}

}  // namespace vellacor
