#include "render/axis_marker.h"

#include <algorithm>
#include <cmath>

#include "camera/vector_math.h"
#include "render/fill.h"

namespace vellacor {

namespace {

constexpr int kSegments = 15;
constexpr double kShaftRadius = 0.05, kShaftEnd = 1.2;
constexpr double kHeadRadius = 0.15, kHeadBase = 0.9, kHeadTip = 1.4;

// Fills the triangle whichever way it faces: the filler draws one winding only.
void fillBothSides(FrameBuffer& frame, const Vec3& a, const Vec3& b, const Vec3& c, std::uint8_t colour) {
    for (const bool flipped : {false, true}) {
        ClipPolygon polygon{};
        const Vec3 corners[3] = {a, flipped ? c : b, flipped ? b : c};
        for (std::size_t k = 0; k < 3; ++k) polygon[k] = {corners[k].x, corners[k].y, corners[k].z, 0, 0, 0};
        drawPolygon(frame, widgetTarget(frame), FillMode::Flat, polygon, 3, colour);
    }
}

}  // namespace

void drawAxisMarker(FrameBuffer& frame, const Matrix& view, const Vec3& target, double radius, bool highlighted) {
    if (!frame.hasBuffers() || frame.displayBits.empty() || frame.widgetDepthBuffer.empty()) return;
    std::fill(frame.widgetDepthBuffer.begin(), frame.widgetDepthBuffer.end(), 0.0);
    const Vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const std::uint8_t colours[3] = {kAxisXColour, kAxisYColour, kAxisZColour};
    for (std::size_t k = 0; k < 3; ++k) {
        const Vec3& e = axes[k];
        const Vec3& u = axes[(k + 1) % 3];
        const Vec3& v = axes[(k + 2) % 3];
        const std::uint8_t colour = highlighted ? kAxisHighlight : colours[k];
        // A point `along` the arrow at `r` from its middle line, angle segment i; in camera space.
        const auto at = [&](double along, double r, int i) {
            const double angle = 2.0 * 3.14159265358979323846 * i / kSegments;
            const Vec3 p = target + radius * (along * e + r * (std::cos(angle) * u + std::sin(angle) * v));
            return transformPoint(p, view);
        };
        const Vec3 tip = transformPoint(target + radius * kHeadTip * e, view);
        for (int i = 0; i < kSegments; ++i) {
            const Vec3 a0 = at(0.0, kShaftRadius, i), a1 = at(0.0, kShaftRadius, i + 1);
            const Vec3 b0 = at(kShaftEnd, kShaftRadius, i), b1 = at(kShaftEnd, kShaftRadius, i + 1);
            fillBothSides(frame, a0, a1, b1, colour);
            fillBothSides(frame, a0, b1, b0, colour);
            fillBothSides(frame, at(kHeadBase, kHeadRadius, i), at(kHeadBase, kHeadRadius, i + 1), tip, colour);
        }
    }
}

}  // namespace vellacor
