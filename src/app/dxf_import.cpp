#include "app/dxf_import.h"

#include <cmath>
#include <cstdint>
#include <new>

#include "app/breaklines.h"
#include "app/read_diagnostics_shown.h"
#include "app/site_model.h"
#include "app/surface_files.h"
#include "app/surface_stages.h"
#include "app/view_settings.h"
#include "import/dxf_reader.h"
#include "import/dxf_surface.h"
#include "platform/ui.h"

namespace vellacor {

namespace {

// Copies of the overlay's lines: matching them to points gives their
// vertices the points' elevations, which must not change the drawing.
std::vector<std::vector<Vec3>> lineVertices(const std::vector<CadLine>& lines) {
    std::vector<std::vector<Vec3>> polylines;
    polylines.reserve(lines.size());
    for (const CadLine& line : lines) polylines.push_back(line.vertices);
    return polylines;
}

// The overlay's lines as breaklines, through the points they run between.
void useLinesAsBreaklines(SiteModel& model) {
    SiteDocument& d = model.document;
    std::vector<std::vector<Vec3>> polylines = lineVertices(model.overlays.dxfOverlay->lines);
    addBreaklinesFromPolylines(model, polylines);

    d.dxfOverlayStage.enabled = true;
    d.dxfOverlayStage.done = false;
    model.display.showDxfOverlay = true;
    stopSurfaceWorkers(model);
    model.work.shading.cancel();
    d.triangulateStage.invalidate();
    d.contourStage.invalidate();
    d.shadingStage.invalidate();
    model.input.selectedPoint = kNoSelection;
    model.water.rainSystem.reset();
    model.water.ponds.reset();
    d.breaklines.allInserted = false;
    d.breaklinesInserted = 0;
}

std::string countText(std::size_t n) { return std::to_string(n); }

// "Use CAD lines as Breaklines?", after the count of the survey points found, if any.
bool askUseLinesAsBreaklines(Ui& ui, std::size_t surveyPoints) {
    const std::string found = surveyPoints > 0 ? "Found " + countText(surveyPoints) + " Survey Points.\n\n" : "";
    return ui.message(found + kUseCadLinesQuestion, MessageKind::Question) == Answer::Yes;
}

// A drawing that holds a surface (as the program saves one with its points,
// breaklines and contours) opens as that surface. Its lines, taken as
// breaklines, go into the surface by the staged insertion, as a LandXML
// file's do: the ones the program saved are edges of it already, so the
// surface comes back as it was saved.
bool openDrawingWithSurface(SiteModel& model, Ui& ui, DxfDrawing&& drawing) {
    const std::size_t surveyPoints = drawing.points.size();
    if (!openDrawnSurface(model, ui, std::move(drawing.points), drawing.faces)) return false;
    if (askUseLinesAsBreaklines(ui, surveyPoints)) {
        std::vector<std::vector<Vec3>> polylines = lineVertices(model.overlays.dxfOverlay->lines);
        addBreaklinesFromPolylines(model, polylines);
        SiteDocument& d = model.document;
        d.breaklines.allInserted = false;
        d.breaklinesInserted = 0;
        d.dxfOverlayStage.enabled = true;  // the lines are draped on the surface, as after any Yes
        d.dxfOverlayStage.done = false;
    }
    return true;
}

}  // namespace

std::vector<SurveyPoint> pointsFromContours(const std::vector<CadLine>& lines) {
    std::size_t total = 0;
    for (const CadLine& line : lines) total += line.vertices.size();
    std::vector<SurveyPoint> points;
    points.reserve(total);
    for (const CadLine& line : lines)
        for (const Vec3& v : line.vertices) {
            SurveyPoint p;
            p.easting = v.x;
            p.northing = v.y;
            p.elevation = v.z;
            p.number = static_cast<std::int32_t>(points.size());
            setDescription(p, "contour");
            p.useInSurface = isValidElevation(v.z);
            p.displayMark = PointMark::Ordinary;
            points.push_back(p);
        }
    return points;
}

void storeImportedPoints(SiteModel& model, Ui& ui, std::vector<SurveyPoint> points) {
    clearSite(model);
    SiteDocument& d = model.document;
    try {
        points.shrink_to_fit();
    } catch (const std::bad_alloc&) {
        fatalError(ui, "Unable to allocate memory for points!");
    }
    for (SurveyPoint& p : points) p.useInSurface = isValidElevation(p.elevation);
    d.pointCount = static_cast<int>(points.size());
    d.points = std::move(points);
    d.documentLoaded = true;
    d.pointsNeedTriangulation = true;
    computeExtents(d);
    setAllDisplayMarks(d, PointMark::Ordinary);
    computeNextPointNumber(d);
    recreateFrameBitmap(model);
    model.camera.Reset();
    model.camera.OrbitTo(siteFrameOf(d), model.display.verticalScale, kLoadHeading);
    model.renderer.redrawNeeded = true;
}

bool importDxf(SiteModel& model, Ui& ui, const std::string& path, bool asOverlay) {
    // A drape of the drawing this one replaces must not become its drape.
    model.work.dxfDraping.cancel();
    model.document.dxfOverlayStage.reset();
    model.overlays.dxfOverlay = std::make_unique<CadOverlay>();
    DxfFileRead read = readDxfFile(path, !asOverlay);
    showReadDiagnostics(ui, read.diagnostics);
    if (!read.drawing) return true;  // the overlay stays empty
    DxfDrawing& drawing = *read.drawing;
    model.overlays.dxfOverlay->lines = std::move(drawing.lines);
    SiteDocument& d = model.document;

    if (asOverlay) {
        d.dxfOverlayStage.enabled = true;
        d.dxfOverlayStage.done = false;
        model.display.showDxfOverlay = true;
        model.renderer.redrawNeeded = true;
        return true;
    }

    d.breaklinesInserted = 0;
    if (facesMakeASurface(drawing.faces)) return openDrawingWithSurface(model, ui, std::move(drawing));
    const bool fromPointEntities = !drawing.points.empty();
    if (fromPointEntities)
        storeImportedPoints(model, ui, std::move(drawing.points));
    else
        storeImportedPoints(model, ui, pointsFromContours(model.overlays.dxfOverlay->lines));
    if (d.pointCount == 0) {
        ui.message(kNoUsableDxfDataMessage);
        return false;
    }
    if (askUseLinesAsBreaklines(ui, fromPointEntities ? static_cast<std::size_t>(d.pointCount) : 0))
        useLinesAsBreaklines(model);
    d.pointsNeedTriangulation = true;
    model.display.showDxfOverlay = true;
    return true;
}

}  // namespace vellacor
