#include "app/point_editing.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/breaklines.h"
#include "app/navigation.h"
#include "app/site_edits.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "platform/ui.h"
#include "surface/tin_edit.h"
#include "surface/tin_geometry.h"
#include "water/pond_system.h"

namespace vellacor {

namespace {

constexpr double kWallOffset = 0.1;
constexpr double kSmallestWallChange = 0.001;

bool numberCharacter(char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; }

// Appends a point after the last, before the three spare records the
// triangulation keeps behind the points.
int appendPoint(SiteDocument& d, const SurveyPoint& p) {
    const auto at = d.points.begin() + d.pointCount;
    d.points.insert(at, p);
    if (d.points.size() < static_cast<std::size_t>(d.pointCount) + 4) d.points.resize(static_cast<std::size_t>(d.pointCount) + 4);
    return d.pointCount++;
}

// The surface must be made again from the points (a surface read as
// triangles keeps its triangles); the breaklines go in again after it.
void rebuildSurface(SiteModel& model) {
    SiteDocument& d = model.document;
    const bool keepTriangles = d.pointFileFormat == PointFileFormat::Raw && d.triangulateStage.done;
    dropSurfaceResults(model);
    if (keepTriangles) {
        d.triangulateStage.done = true;
    } else {
        d.pointsNeedTriangulation = true;
    }
    d.breaklines.allInserted = false;
    d.breaklinesInserted = 0;
}

// Stops every worker that reads the points before one changes or is added;
// the stages they leave undone start again. True when the surface itself was
// being built.
bool stopWorkersReadingPoints(SiteModel& model) {
    SiteDocument& d = model.document;
    const bool building = d.triangulateStage.running;
    stopSurfaceWorkers(model);
    if (d.shadingStage.running) {
        model.work.shading.cancel();
        d.shadingStage.invalidate();
    }
    return building;
}

}  // namespace

double defaultWallChange(std::string_view description) {
    std::size_t end = description.size();
    while (end > 0 && !numberCharacter(description[end - 1])) --end;
    std::size_t begin = end;
    bool point = false;
    while (begin > 0 && numberCharacter(description[begin - 1])) {
        if (description[begin - 1] == '.') {
            if (point) break;
            point = true;
        }
        --begin;
    }
    // The run may hold signs inside it ("2-3"): its longest readable start.
    std::string_view run = description.substr(begin, end - begin);
    while (!run.empty()) {
        std::string_view text = run.front() == '+' ? run.substr(1) : run;
        double value = 0.0;
        const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && stop == text.data() + text.size() && std::isfinite(value)) return value;
        run.remove_prefix(1);
    }
    return 0.0;
}

void onPointDoubleClick(SiteModel& model, Ui& ui, Pixel at) {
    const SiteDocument& d = model.document;
    const int picked =
        pickNearestPoint(d.points, d.pointCount, model.renderer.sceneView, screenDepthOf(model.renderer.frame), at);
    int& selected = model.input.selectedPoint;
    if (selected == kNoSelection)
        selected = picked;
    else if (picked == selected)
        selected = kNoSelection;
    else if (picked != kNoPoint)
        breaklineBetween(model, ui, selected, picked);
    else
        addWallPoint(model, ui, at);
    model.renderer.redrawNeeded = true;
}

void pickBreaklineCorner(SiteModel& model, Ui& ui, const Vec3& ground, int t) {
    SiteDocument& d = model.document;
    if (t < 0 || t >= d.triangleCount) return;
    int nearest = kNoPoint;
    double best = 0.0;
    for (int v : d.triangles[static_cast<std::size_t>(t)].vertex) {
        const SurveyPoint& p = pointAt(d, v);
        const double r = std::hypot(p.easting - ground.x, p.northing - ground.y);
        if (nearest == kNoPoint || r < best) {
            nearest = v;
            best = r;
        }
    }
    int& selected = model.input.selectedPoint;
    if (selected == kNoSelection)
        selected = nearest;
    else if (nearest == selected)
        selected = kNoSelection;
    else
        breaklineBetween(model, ui, selected, nearest);
    model.renderer.redrawNeeded = true;
}

void addWallPoint(SiteModel& model, Ui& ui, Pixel at) {
    SiteDocument& d = model.document;
    const int s = model.input.selectedPoint;
    if (!isPointIndex(d, s)) return;
    const SurveyPoint from = pointAt(d, s);
    double direction = 0.0;
    if (const std::optional<Vec3> ground = groundAt(model, at))
        direction = std::atan2(ground->y - from.northing, ground->x - from.easting);
    AddWallPointDialog dialog{defaultWallChange(descriptionOf(from))};
    if (!ui.run(dialog)) return;
    model.renderer.redrawNeeded = true;
    if (!std::isfinite(dialog.change) || std::fabs(dialog.change) < kSmallestWallChange) return;

    SurveyPoint wall;
    wall.number = d.nextPointNumber;
    wall.easting = from.easting + kWallOffset * std::cos(direction);
    wall.northing = from.northing + kWallOffset * std::sin(direction);
    wall.elevation = from.elevation + dialog.change;
    wall.useInSurface = isValidElevation(wall.elevation);
    wall.displayMark = PointMark::Added;
    setDescription(wall, "wallpt");
    placeWallPoint(model, s, wall);
    // A surface read as triangles cannot be made again without the point.
    if (d.pointFileFormat == PointFileFormat::Raw)
        markSiteChanged(model, SiteChange::Points | SiteChange::Breaklines);
    else
        recordSiteEdit(model, WallPointEdit{s, wall});
}

int placeWallPoint(SiteModel& model, int s, const SurveyPoint& wall) {
    SiteDocument& d = model.document;
    const bool building = stopWorkersReadingPoints(model);
    if (d.nextPointNumber <= wall.number && wall.number < std::numeric_limits<int>::max())
        d.nextPointNumber = wall.number + 1;
    const int added = appendPoint(d, wall);
    d.minElevation = std::min(d.minElevation, wall.elevation);
    d.maxElevation = std::max(d.maxElevation, wall.elevation);

    if (building) {
        rebuildSurface(model);  // the surface being built goes without the point: build it again
        return added;
    }
    if (!d.triangulateStage.done || !wall.useInSurface) return added;
    const int t = triangleHoldingInside(d.points, d.triangles, d.triangleCount, wall.easting, wall.northing);
    if (t == kNoTriangle) return added;
    dropSurfaceResults(model);  // clears the selection, the rain and the ponds
    splitTriangleAt(d.triangles, d.triangleCount, t, added);
    d.triangulateStage.done = true;
    d.triangulateStage.enabled = true;
    model.cycle.forceRedrawOnce = true;
    // The wall's face: the new point and the one it was made from.
    if (addBreakline(model, s, added) && d.breaklines.count() > 0 &&
        d.breaklines.pairs.back().a == s && d.breaklines.pairs.back().b == added) {
        enforceBreakline(model, d.breaklines.count() - 1);
        if (d.breaklines.ready()) d.breaklinesInserted = d.breaklines.count();
    }
    return added;
}

void removeLastPoint(SiteModel& model) {
    SiteDocument& d = model.document;
    if (d.pointCount <= 0) return;
    stopWorkersReadingPoints(model);
    const int last = d.pointCount - 1;
    std::erase_if(d.breaklines.pairs, [last](const Breakline& k) { return k.a == last || k.b == last; });
    d.points.erase(d.points.begin() + last);  // the spare records behind it move up with it
    --d.pointCount;
    model.input.selectedPoint = kNoSelection;
    model.input.hoverPoint = kNoSelection;
    rebuildSurface(model);
}

void editSelectedPoint(SiteModel& model, Ui& ui) {
    SiteDocument& d = model.document;
    if (!d.documentLoaded) return;
    const int s = model.input.selectedPoint;
    if (!isPointIndex(d, s)) {
        ui.message("To Edit a Point: Double-click the point first to select it, then press E.",
                   MessageKind::Information);
        return;
    }
    const SurveyPoint& p = pointAt(d, s);
    EditPointDialog dialog{p.number, p.northing, p.easting, p.elevation, std::string(descriptionOf(p)), p.useInSurface};
    if (!ui.run(dialog)) return;
    model.renderer.redrawNeeded = true;
    PointEdit edit{s, p, {}, std::nullopt};
    if (p.useInSurface && !dialog.useInSurface) edit.breaklinesBefore = d.breaklines.pairs;
    changePoint(model, s, dialog.elevation, dialog.description, dialog.useInSurface);
    edit.after = pointAt(d, s);
    // A point with no breaklines left nothing of the list to bring back.
    if (edit.breaklinesBefore && edit.breaklinesBefore->size() == d.breaklines.pairs.size())
        edit.breaklinesBefore.reset();
    const SurveyPoint& a = edit.before;
    const SurveyPoint& b = edit.after;
    if (a.elevation != b.elevation || a.useInSurface != b.useInSurface || descriptionOf(a) != descriptionOf(b))
        recordSiteEdit(model, std::move(edit));
}

void changePoint(SiteModel& model, int s, double elevation, const std::string& description, bool useInSurface) {
    SiteDocument& d = model.document;
    if (!isPointIndex(d, s)) return;
    SurveyPoint& p = pointAt(d, s);
    const bool wasUsed = p.useInSurface;
    const bool elevationChanged = std::isfinite(elevation) && elevation != p.elevation;
    setDescription(p, description);
    if (!elevationChanged && wasUsed == useInSurface) return;

    const bool building = stopWorkersReadingPoints(model);
    if (elevationChanged) {
        p.elevation = elevation;
        d.minElevation = std::min(d.minElevation, p.elevation);
        d.maxElevation = std::max(d.maxElevation, p.elevation);
    }
    p.useInSurface = useInSurface;
    if (wasUsed != useInSurface || building) {
        if (!useInSurface) removeBreaklinesOfPoint(model, s);
        rebuildSurface(model);
        return;
    }
    if (!d.triangulateStage.done) return;
    // The triangles keep the point and show its new height (their slopes
    // come from their corners); the smooth shading is made again.
    d.shadingStage.invalidate();
    forgetSurfaceCaches(model.renderer);
    forgetReshapedSurface(model);
    model.water.ponds.reset();  // found again on the new ground
    model.cycle.forceRedrawOnce = true;
}

}  // namespace vellacor
