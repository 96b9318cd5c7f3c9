#include "app/status_display.h"

#include <span>

#include "app/cad_overlays.h"
#include "app/comparison_surface.h"
#include "app/cut_fill_view.h"
#include "app/site_model.h"
#include "app/volume_commands.h"
#include "app/water.h"
#include "render/frame_buffer.h"
#include "render/scene.h"
#include "render/status_overlay.h"
#include "render/status_text.h"

namespace vellacor {

namespace {
constexpr ColorRef kFrameRateColour = 0xa0a0a0;
constexpr ColorRef kCountsColour = 0x323232;
constexpr ColorRef kProgressColour = 0x646464;
}  // namespace

std::optional<std::string> progressMessage(const SiteModel& model) {
    const SiteDocument& d = model.document;
    const bool triangulated = d.triangulateStage.done;
    if (!triangulated && d.triangulateStage.running) return "Building Surface";
    if (triangulated && !d.contourStage.done && d.contourStage.running) return "Topology";
    if (!d.shadingStage.done && d.shadingStage.running) return "Smooth Shading";
    if (d.contourStage.done && (d.dwfOverlayStage.running || d.dxfOverlayStage.running)) return "CAD Overlay";
    if (triangulated && !d.breaklines.ready()) return breaklineProgressText(d.breaklinesInserted, d.breaklines.count());
    return std::nullopt;
}

std::vector<std::string> statusLines(const SiteModel& model) {
    const SiteDocument& d = model.document;
    StatusFacts facts;
    facts.pointCount = d.pointCount;
    facts.triangleCount = d.triangleCount;
    facts.showContours = model.display.showContours;
    facts.contourInterval = d.contours.contourInterval;
    facts.contourSmoothing = d.contours.contourSmoothing;
    facts.showBreaklines = model.display.showBreaklines;
    facts.breaklineCount = d.breaklines.count();
    facts.verticalScale = model.display.verticalScale;
    if (model.display.showRain && model.water.rainSystem) facts.particleCount = model.water.rainSystem->ActiveCount();
    if (model.display.showPonds && model.water.ponds) facts.pondCount = model.water.ponds->Count();
    return statusLines(facts);
}

void drawStatusOverlay(SiteModel& model, OverlayTextList& text) {
    FrameBuffer& f = model.renderer.frame;
    const DisplaySwitches& show = model.display;
    const int lh = smallFontMetrics().lineHeight;
    if (auto fps = frameRateText(model.cycle.frameSeconds))
        text.push_back({0, f.viewHeight - lh, *fps, kFrameRateColour, TextAlign::Left, 0, true, 0xFFFFFF});
    // A CAD image waiting for alignment shows its hint and nothing else.
    if (dwfAwaitsAlignment(model)) {
        text.push_back({f.viewWidth / 2, 0, kAlignHint, kProgressColour, TextAlign::Centre, 30});
        return;
    }
    if (auto message = progressMessage(model))
        drawProgress(f, *message, model.document.progress.load(), text);
    else if (auto building = comparisonProgressMessage(model))
        drawProgress(f, *building, comparisonProgress(model), text);
    else if (auto volumes = volumeProgressMessage(model))
        drawProgress(f, *volumes, volumeProgress(model), text);
    else if (auto colours = cutFillProgressMessage(model))
        drawProgress(f, *colours, model.work.cutFillProgress.load(), text);
    if (model.document.pointCount != 0) {
        const std::span<const SurveyPoint> points = validPoints(model.document);
        if (show.showPointNumbers || show.showPointDescriptions || show.showPointElevations)
            addPointLabels(f, model.renderer.sceneView, points, kEveryPoint, show.showPointNumbers,
                           show.showPointDescriptions, show.showPointElevations, text, lowPointMarksOf(model));
        if (model.input.selectedPoint != kNoSelection)
            addPointLabels(f, model.renderer.sceneView, points, model.input.selectedPoint, true, true, true, text,
                           lowPointMarksOf(model));
    }
    int row = 0;
    for (const std::string& line : statusLines(model)) text.push_back({0, lh * row++, line, kCountsColour});
    for (const std::string& line : comparisonStatusLines(model)) text.push_back({0, lh * row++, line, kCountsColour});
}

}  // namespace vellacor
