#include "water/pond_draw.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "render/fill.h"
#include "water/wet_area.h"

namespace vellacor {

namespace {

constexpr double kWaveCellsPerUnit = 4.0;

void drawWetPart(FrameBuffer& frame, const Matrix& view, const WetPart& part, double level, bool fromBelow,
                 const FillInputs& inputs) {
    ClipPolygon polygon{};
    for (int k = 0; k < part.count; ++k) {
        const Vec3& p = part.corners[static_cast<std::size_t>(k)];
        const Vec3 c = transformPoint({p.x, p.y, level}, view);
        ClipVertex& v = polygon[static_cast<std::size_t>(k)];
        v.x = c.x, v.y = c.y, v.z = c.z;
        // The wave grid's cells, as the waves are started.
        v.u = kWaveCellsPerUnit * std::fabs(p.x) + 0.5;
        v.v = kWaveCellsPerUnit * std::fabs(p.y) + 0.5;
    }
    // Seen from below, the other winding faces the eye.
    if (fromBelow) std::reverse(polygon.begin(), polygon.begin() + part.count);
    drawPolygon(frame, displayTarget(frame), FillMode::Water, polygon, part.count, 0, inputs);
}

}  // namespace

double pondSize(double wettedArea) { return std::max(std::sqrt(std::max(wettedArea, 0.0)), 10.0); }

void drawPonds(FrameBuffer& frame, const Matrix& view, const Vec3& eye, const SurfaceView& surface, PondSystem& ponds,
               bool ripples) {
    const bool canDraw = frame.hasBuffers() && frame.displayBits.size() >= static_cast<std::size_t>(frame.pixelCount());
    FillInputs inputs;
    if (ripples) inputs.ripples.heights = ponds.waves().current();
    for (Pond& pond : ponds.ponds()) {
        if (pond.floodedTriangles.empty()) continue;
        double area = 0.0;
        for (const std::int32_t t : pond.floodedTriangles) {
            const WetPart part = wetPartOf(surface, t, pond.level);
            if (part.count < 3) continue;
            area += part.area;
            if (canDraw) drawWetPart(frame, view, part, pond.level, eye.z < pond.level, inputs);
        }
        pond.size = pondSize(area);
    }
}

}  // namespace vellacor
