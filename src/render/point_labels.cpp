#include <cmath>
#include <cstdio>

#include "model/number_text.h"
#include "render/frame_projection.h"
#include "render/scene.h"

namespace vellacor {

namespace {

std::string elevationLabel(double z) {
    std::string label = "EL=";
    appendFixed(label, z, 2);
    return label;
}

std::string numberLabel(std::int32_t number) {
    std::string label = "#";
    appendInteger(label, number);
    return label;
}

}  // namespace

void addPointLabels(const FrameBuffer& f, const Matrix& view, std::span<const SurveyPoint> points, int point,
                    bool number, bool description, bool elevation, OverlayTextList& text,
                    std::span<const std::uint8_t> lowPoints) {
    if (!f.hasBuffers()) return;
    const int lh = smallFontMetrics().lineHeight;
    const int first = point == kEveryPoint ? 0 : point;
    const int last = point == kEveryPoint ? static_cast<int>(points.size()) - 1 : point;
    if (first < 0 || last >= static_cast<int>(points.size())) return;
    for (int i = first; i <= last; ++i) {
        const SurveyPoint& p = points[static_cast<std::size_t>(i)];
        const Vec3 at = cameraSpaceOf(p, view);
        if (outcode(at) != 0) continue;
        const ProjectedPoint q = project(f, at);
        const int px = static_cast<int>(q.x), py = static_cast<int>(q.y);
        if (px < 0 || py < 0 || px >= f.viewWidth || py >= f.viewHeight) continue;
        // Hidden behind the surface: no label.
        const double stored = f.depthBuffer[static_cast<std::size_t>(py) * static_cast<std::size_t>(f.viewWidth) +
                                            static_cast<std::size_t>(px)];
        if (!(q.w - 0.0003 <= stored)) continue;
        const int x = static_cast<int>(q.x + lh / 2);
        if (number)
            text.push_back({x, static_cast<int>(q.y + std::trunc(-1.2 * lh)), numberLabel(p.number), 0xff0000});
        if (description) {
            text.push_back({x, static_cast<int>(q.y + std::trunc(-0.5 * lh)), std::string(descriptionOf(p)), 0x0000ff});
            if (static_cast<std::size_t>(i) < lowPoints.size() && lowPoints[static_cast<std::size_t>(i)])
                text.push_back({x, static_cast<int>(q.y + std::trunc(0.9 * lh)), "(Low Point)", 0xffffff});
        }
        if (elevation)
            text.push_back({x, static_cast<int>(q.y + std::trunc(0.2 * lh)), elevationLabel(p.elevation), 0xffff00});
    }
}

}  // namespace vellacor
