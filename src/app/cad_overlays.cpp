#include "app/cad_overlays.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>

#include "app/dxf_import.h"
#include "app/read_diagnostics_shown.h"
#include "app/site_edits.h"
#include "app/site_model.h"
#include "camera/vector_math.h"
#include "import/dwf_reader.h"
#include "model/utf8_text.h"
#include "platform/ui.h"
#include "render/cad_overlay_draw.h"

namespace vellacor {

namespace {

constexpr double kFitShare = 0.9;      // of the smaller side of the view the fitted drawing fills
constexpr double kZoomPerStep = 0.01;  // a pixel of drag or a thirtieth of a wheel notch
constexpr double kMostZoomSteps = 100;  // steps one event may take

// Centres the drawing on the site and scales its larger side to the site's size.
void fitOverSite(std::vector<CadLine>& lines, const Vec3& siteCentre, double siteSize) {
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool first = true;
    for (const CadLine& line : lines)
        for (const Vec3& v : line.vertices) {
            minX = first ? v.x : std::min(minX, v.x), maxX = first ? v.x : std::max(maxX, v.x);
            minY = first ? v.y : std::min(minY, v.y), maxY = first ? v.y : std::max(maxY, v.y);
            first = false;
        }
    const double size = std::max(maxX - minX, maxY - minY);
    const double scale = size > 0 ? siteSize / size : 1.0;
    const double cx = 0.5 * (minX + maxX), cy = 0.5 * (minY + maxY);
    for (CadLine& line : lines)
        for (Vec3& v : line.vertices) v = {(v.x - cx) * scale + siteCentre.x, (v.y - cy) * scale + siteCentre.y, 0.0};
}

int pointNumbered(const SiteDocument& d, int number) {
    for (int i = 0; i < d.pointCount; ++i)
        if (d.points[static_cast<std::size_t>(i)].number == number) return i;
    return kNoPoint;
}

Vec3 planOf(const SurveyPoint& p) { return {p.easting, p.northing, 0.0}; }

}  // namespace

void openCadOverlay(SiteModel& model, Ui& ui) {
    const std::optional<std::string> path = ui.chooseOpenFile(kCadFileFilter);
    if (path && importCadOverlay(model, ui, *path) > 0) markSiteChanged(model);
}

std::size_t importCadOverlay(SiteModel& model, Ui& ui, const std::string& path) {
    model.renderer.redrawNeeded = true;
    try {
        if (equalsIgnoringCase(std::filesystem::path(path).extension().string(), ".dwf")) {
            importDwf(model, ui, path);
            return model.overlays.dwfOverlay ? model.overlays.dwfOverlay->lines.size() : 0;
        }
        importDxf(model, ui, path, true);
    } catch (const std::bad_alloc&) {
        fatalError(ui, "Unable to allocate memory for array!");
    }
    return model.overlays.dxfOverlay ? model.overlays.dxfOverlay->lines.size() : 0;
}

bool importDwf(SiteModel& model, Ui& ui, const std::string& path) {
    SiteDocument& d = model.document;
    model.work.dwfDraping.cancel();
    model.overlays.dwfOverlay.reset();
    d.dwfOverlayStage.reset();
    DwfFileRead read = readDwfFile(path);
    showReadDiagnostics(ui, read.diagnostics);
    std::optional<std::vector<CadLine>> lines = std::move(read.lines);
    if (!lines || lines->empty()) {
        model.display.showDwfOverlay = false;
        return false;
    }
    auto overlay = std::make_unique<CadOverlay>();
    overlay->lines = std::move(*lines);
    fitOverSite(overlay->lines, d.siteCentre, d.siteSize);
    const FrameBuffer& f = model.renderer.frame;
    const int side = std::max(1, std::min(f.viewWidth, f.viewHeight));
    overlay->view = {d.siteCentre.x, d.siteCentre.y, d.siteSize / (kFitShare * side)};
    overlay->aligned = false;
    model.overlays.dwfOverlay = std::move(overlay);
    model.display.showDwfOverlay = true;
    model.work.dxfDraping.cancel();
    d.dxfOverlayStage.invalidate();
    model.overlays.dxfOverlay.reset();
    model.display.showDxfOverlay = false;
    model.renderer.redrawNeeded = true;
    return true;
}

bool dwfAwaitsAlignment(const SiteModel& model) {
    return model.overlays.dwfOverlay && model.display.showDwfOverlay && !model.overlays.dwfOverlay->aligned;
}

void panFlatOverlay(SiteModel& model, int dx, int dy) {
    FlatOverlayView& v = model.overlays.dwfOverlay->view;
    v.offsetX -= dx * v.scale;  // the drawing follows the mouse
    v.offsetY += dy * v.scale;
    model.renderer.redrawNeeded = true;
}

void zoomFlatOverlay(SiteModel& model, int z) {
    FlatOverlayView& v = model.overlays.dwfOverlay->view;
    const double steps = std::clamp(static_cast<double>(z), -kMostZoomSteps, kMostZoomSteps);
    const double scaled = v.scale * std::pow(1.0 + kZoomPerStep, steps);
    // Far enough either way for any drawing; never to nothing or to infinity.
    const double size = std::max(model.document.siteSize, 1e-6);
    v.scale = std::clamp(scaled, size * 1e-9, size * 1e3);
    model.renderer.redrawNeeded = true;
}

void alignmentDoubleClick(SiteModel& model, Ui& ui, int sx, int sy) {
    AligningDialog dialog;
    const bool answered = ui.run(dialog);
    // The button came up over the dialog: the drawing must not follow the mouse afterwards.
    model.input.leftButtonDown = false;
    if (!answered) return;
    const FrameBuffer& f = model.renderer.frame;
    addAlignmentPick(model, ui, sx, sy, f.viewWidth, f.viewHeight, dialog.pointNumber);
}

void addAlignmentPick(SiteModel& model, Ui& ui, int sx, int sy, int viewWidth, int viewHeight, int pointNumber) {
    CadOverlay& overlay = *model.overlays.dwfOverlay;
    const DrawingPoint at = drawingPointAt(overlay.view, viewWidth, viewHeight, sx, sy);
    const int point = pointNumbered(model.document, pointNumber);
    if (point == kNoPoint) {
        ui.message(kNotASurveyPointMessage);
        return;
    }
    const int k = std::clamp(overlay.alignmentPicks, 0, 1);
    overlay.picks[k] = {point, at.x, at.y};
    overlay.alignmentPicks = k + 1;
    if (overlay.alignmentPicks < 2) return;
    const AlignmentPick& first = overlay.picks[0];
    const AlignmentPick& second = overlay.picks[1];
    if (first.point == second.point) {
        ui.message(kSamePointTwiceMessage);
        overlay.alignmentPicks = 1;
        return;
    }
    // Two clicks on one spot of the drawing give no direction to turn it by.
    if (first.x == second.x && first.y == second.y) {
        overlay.alignmentPicks = 1;
        return;
    }
    const SiteDocument& d = model.document;
    alignDrawing(overlay.lines, {first.x, first.y, 0}, {second.x, second.y, 0},
                 planOf(d.points[static_cast<std::size_t>(first.point)]),
                 planOf(d.points[static_cast<std::size_t>(second.point)]));
    overlay.aligned = true;
    markSiteChanged(model);
    model.document.dwfOverlayStage.reset();
    model.renderer.redrawNeeded = true;
}

void alignDrawing(std::span<CadLine> lines, const Vec3& d1, const Vec3& d2, const Vec3& p1, const Vec3& p2) {
    const double s = std::hypot(p2.x - p1.x, p2.y - p1.y) / std::hypot(d2.x - d1.x, d2.y - d1.y);
    const double r = Heading(p2.x - p1.x, p2.y - p1.y) - Heading(d2.x - d1.x, d2.y - d1.y);
    for (CadLine& line : lines)
        for (Vec3& v : line.vertices) {
            const double ux = (v.x - d1.x) * s, uy = (v.y - d1.y) * s;
            const double length = std::hypot(ux, uy);
            const double a = Heading(ux, uy) + r;
            v.x = p1.x + length * std::cos(a);
            v.y = p1.y + length * std::sin(a);
        }
}

}  // namespace vellacor
