#include "app/dxf_import.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <unordered_map>

#include "app/breaklines.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "app/view_settings.h"
#include "import/dxf_reader.h"
#include "platform/ui.h"

namespace vellacor {

namespace {

constexpr double kVertexMatch = 0.005;  // a line's vertex lies on a point this close in both axes

// The points by cells of twice the matching distance, so that whether a
// vertex lies on some point takes a look at nine cells instead of every point.
class PointCells {
public:
    explicit PointCells(const SiteDocument& d) : d_(d) {
        for (int i = 0; i < d.pointCount; ++i) {
            const SurveyPoint& p = d.points[static_cast<std::size_t>(i)];
            if (isUsableCoordinate(p.easting) && isUsableCoordinate(p.northing))
                cells_[key(cell(p.easting), cell(p.northing))].push_back(i);
        }
    }

    bool anyPointAt(const Vec3& v) const {
        if (!isUsableCoordinate(v.x) || !isUsableCoordinate(v.y)) return false;
        const std::int64_t cx = cell(v.x), cy = cell(v.y);
        for (std::int64_t i = cx - 1; i <= cx + 1; ++i)
            for (std::int64_t j = cy - 1; j <= cy + 1; ++j) {
                const auto found = cells_.find(key(i, j));
                if (found == cells_.end()) continue;
                for (int p : found->second) {
                    const SurveyPoint& q = d_.points[static_cast<std::size_t>(p)];
                    if (std::fabs(q.easting - v.x) < kVertexMatch && std::fabs(q.northing - v.y) < kVertexMatch) return true;
                }
            }
        return false;
    }

private:
    static std::int64_t cell(double v) { return static_cast<std::int64_t>(std::floor(v / (2 * kVertexMatch))); }
    static std::uint64_t key(std::int64_t x, std::int64_t y) {
        return static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint64_t>(y);
    }
    const SiteDocument& d_;
    std::unordered_map<std::uint64_t, std::vector<int>> cells_;
};

// The stretches of the lines whose vertices all lie on points: only
// neighbouring vertices that both do can make a breakline, so the rest need
// not be matched against every point one by one.
std::vector<std::vector<Vec3>> stretchesOnPoints(const SiteDocument& d, const std::vector<CadLine>& lines) {
    const PointCells cells(d);
    std::vector<std::vector<Vec3>> stretches;
    for (const CadLine& line : lines) {
        std::vector<Vec3> run;
        for (const Vec3& v : line.vertices) {
            if (cells.anyPointAt(v)) {
                run.push_back(v);
                continue;
            }
            if (run.size() >= 2) stretches.push_back(std::move(run));
            run.clear();
        }
        if (run.size() >= 2) stretches.push_back(std::move(run));
    }
    return stretches;
}

// The overlay's lines as breaklines, through the points they run between.
void useLinesAsBreaklines(SiteModel& model) {
    SiteDocument& d = model.document;
    std::vector<std::vector<Vec3>> polylines = stretchesOnPoints(d, model.overlays.dxfOverlay->lines);
    addBreaklinesFromPolylines(model, polylines);

    d.dxfOverlayStage.enabled = true;
    d.dxfOverlayStage.done = false;
    model.display.showDxfOverlay = true;
    stopSurfaceWorkers(model);
    model.work.shading.cancel();
    d.triangulateStage.invalidate();
    d.contourStage.invalidate();
    d.shadingStage.invalidate();
    model.input.selectedPoint = kNoPoint;
    model.water.rainSystem.reset();
    model.water.ponds.reset();
    d.breaklines.allInserted = false;
    d.breaklinesInserted = 0;
}

std::string countText(std::size_t n) { return std::to_string(n); }

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
            p.displayMark = 1;
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
    setAllDisplayMarks(d, 1);
    computeNextPointNumber(d);
    recreateFrameBitmap(model);
    model.camera.Reset();
    model.camera.OrbitTo(siteFrameOf(d), model.display.verticalScale, kLoadHeading);
    model.renderer.redrawNeeded = true;
}

bool importDxf(SiteModel& model, Ui& ui, const std::string& path, bool asOverlay) {
    model.overlays.dxfOverlay = std::make_unique<CadOverlay>();
    DxfDrawing drawing;
    if (!parseDxf(ui, path, !asOverlay, drawing)) return true;  // the overlay stays empty
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
    const bool fromPointEntities = !drawing.points.empty();
    if (fromPointEntities)
        storeImportedPoints(model, ui, std::move(drawing.points));
    else
        storeImportedPoints(model, ui, pointsFromContours(model.overlays.dxfOverlay->lines));
    if (d.pointCount == 0) {
        ui.message(kNoUsableDxfDataMessage);
        return false;
    }
    const std::string found = fromPointEntities ? "Found " + countText(static_cast<std::size_t>(d.pointCount)) + " Survey Points.\n\n" : "";
    if (ui.message(found + kUseCadLinesQuestion, MessageKind::Question) == Answer::Yes) useLinesAsBreaklines(model);
    d.pointsNeedTriangulation = true;
    model.display.showDxfOverlay = true;
    return true;
}

}  // namespace vellacor
