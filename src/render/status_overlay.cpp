#include "render/status_overlay.h"

#include <algorithm>
#include <cmath>

#include "render/frame_buffer.h"
#include "render/line.h"
#include "render/frame_projection.h"

namespace vellacor {

namespace {
constexpr ColorRef kProgressColour = 0xc80000;
}  // namespace

void drawProgress(FrameBuffer& f, const std::string& message, double fraction, OverlayTextList& text) {
    const TextMetrics m = smallFontMetrics();
    const int lh = m.lineHeight, aw = m.averageCharWidth;
    const int vw = f.viewWidth, vh = f.viewHeight;
    const int y1 = vh - 2 * lh - 7;
    text.push_back({vw / 2, y1, message, kProgressColour, TextAlign::Centre});
    text.push_back({vw / 2, y1 + lh + 3, "(Esc to Cancel)", kProgressColour, TextAlign::Centre});
    if (!(vw > 14 * aw + 2 && vh >= 31)) return;
    const int bw = 14 * aw;
    const int x0 = vw / 2 - bw / 2, y0 = y1 + lh + 1;
    const double w = -9999.0;
    const RasterTarget target = displayTarget(f);
    auto line = [&](double xa, double ya, double xb, double yb, std::uint8_t colour) {
        drawLine2D(f, target, ProjectedPoint{xa, ya, w}, ProjectedPoint{xb, yb, w}, colour);
    };
    line(x0 - 1, y0 - 1, x0 + bw + 1, y0 - 1, 5);
    line(x0 - 1, y0 + 4, x0 + bw + 1, y0 + 4, 5);
    line(x0 - 1, y0 - 1, x0 - 1, y0 + 4, 5);
    line(x0 + bw + 1, y0 - 1, x0 + bw + 1, y0 + 4, 5);
    const double clamped = std::clamp(fraction, 0.0, 1.0);
    for (int row = y0; row <= y0 + 3; ++row) line(x0, row, x0 + std::trunc(bw * clamped), row, 4);
}

}  // namespace vellacor
