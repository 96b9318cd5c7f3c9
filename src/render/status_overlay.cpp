#include "render/status_overlay.h"

#include <cmath>

#include "app/site_model.h"
#include "render/frame_buffer.h"
#include "render/line.h"
#include "render/projection.h"
#include "render/scene.h"
#include "render/status_text.h"

namespace vellacor {

namespace {
constexpr ColorRef kFrameRateColour = 0xa0a0a0;
constexpr ColorRef kProgressColour = 0xc80000;
constexpr ColorRef kCountsColour = 0x323232;
}  // namespace

void drawProgress(SiteModel& model, const std::string& message, double fraction, OverlayTextList& text) {
    FrameBuffer& f = model.renderer.frame;
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

void drawStatusOverlay(SiteModel& model, OverlayTextList& text) {
    const FrameBuffer& f = model.renderer.frame;
    const int lh = smallFontMetrics().lineHeight;
    if (auto fps = frameRateText(model.cycle.frameSeconds))
        text.push_back({0, f.viewHeight - lh, *fps, kFrameRateColour, TextAlign::Left, 0, true, 0xFFFFFF});
    // A CAD image waiting for alignment shows its hint here, and nothing else, when that lands.
    if (auto message = progressMessage(model)) drawProgress(model, *message, model.document.progress.load(), text);
    if (model.document.pointCount != 0) {
        if (model.display.showPointNumbers || model.display.showPointDescriptions || model.display.showPointElevations)
            addPointLabels(model, kNoPoint, model.display.showPointNumbers, model.display.showPointDescriptions,
                           model.display.showPointElevations, text);
        if (model.input.selectedPoint != kNoPoint) addPointLabels(model, model.input.selectedPoint, true, true, true, text);
    }
    int row = 0;
    for (const std::string& line : statusLines(model)) text.push_back({0, lh * row++, line, kCountsColour});
}

}  // namespace vellacor
