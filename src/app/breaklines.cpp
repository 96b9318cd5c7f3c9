#include "app/breaklines.h"

#include <cmath>

#include "app/site_model.h"
#include "app/surface_stages.h"
#include "platform/ui.h"
#include "surface/breakline_enforce.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

constexpr int kBreaklinesPerStep = 5;
constexpr double kVertexMatch = 0.005;
constexpr double kNoMatch = -666.0;

bool isPoint(const SiteDocument& d, int p) { return p >= 0 && p < d.pointCount; }
const SurveyPoint& pointOf(const SiteDocument& d, int p) { return d.points[static_cast<std::size_t>(p)]; }

// What was derived from the triangles is no longer theirs: the workers stop,
// the links, shading, selection and water go.
void invalidateSurfaceResults(SiteModel& model) {
    SiteDocument& d = model.document;
    stopSurfaceWorkers(model);
    model.work.shading.cancel();  // its worker reads the triangles
    d.triangulateStage.invalidate();
    d.contourStage.invalidate();
    d.shadingStage.invalidate();
    model.work.surfaceWork.discard();
    forgetTriangleShading(model.renderer);
    model.input.selectedPoint = kNoPoint;
    model.water.rainSystem.reset();
    model.water.ponds.reset();
}

// The first point, in index order, within the matching distance of (x, y).
int matchingPoint(const SiteDocument& d, double x, double y) {
    for (int i = 0; i < d.pointCount; ++i) {
        const SurveyPoint& p = pointOf(d, i);
        if (std::fabs(p.easting - x) < kVertexMatch && std::fabs(p.northing - y) < kVertexMatch) return i;
    }
    return kNoPoint;
}

}  // namespace

bool addBreakline(SiteModel& model, int a, int b) {
    model.display.showBreaklines = true;
    SiteDocument& d = model.document;
    if (a == b || !isPoint(d, a) || !isPoint(d, b)) return false;
    if (!pointOf(d, a).useInSurface || !pointOf(d, b).useInSurface) return true;
    const SurfaceView surface = surfaceOf(d);
    for (const Breakline& k : d.breaklines.pairs) {
        if ((k.a == a && k.b == b) || (k.a == b && k.b == a)) return false;
        if (isPoint(d, k.a) && isPoint(d, k.b) && segmentsCross(surface, a, b, k.a, k.b)) return false;
    }
    d.breaklines.pairs.push_back({a, b});
    return true;
}

void removeBreaklinesOfPoint(SiteModel& model, int p) {
    std::vector<Breakline>& pairs = model.document.breaklines.pairs;
    int& inserted = model.document.breaklinesInserted;
    for (std::size_t i = 0; i < pairs.size();) {
        if (pairs[i].a != p && pairs[i].b != p) {
            ++i;
            continue;
        }
        pairs[i] = pairs.back();
        pairs.pop_back();
        if (static_cast<int>(i) < inserted) inserted = static_cast<int>(i);  // the moved one waits again
    }
}

bool undoBreakline(SiteModel& model) {
    SiteDocument& d = model.document;
    if (d.breaklines.empty()) return false;
    d.breaklines.pairs.pop_back();
    // A surface read as triangles cannot be made again from its points: it
    // keeps the edge rather than being lost.
    if (d.pointFileFormat != PointFileFormat::Raw) {
        invalidateSurfaceResults(model);
        d.pointsNeedTriangulation = true;
        d.breaklines.allInserted = false;
        d.breaklinesInserted = 0;
    } else {
        d.breaklinesInserted = std::min(d.breaklinesInserted, d.breaklines.count());
    }
    model.renderer.redrawNeeded = true;
    return true;
}

bool enforceBreakline(SiteModel& model, int i) {
    SiteDocument& d = model.document;
    if (i < 0 || i >= d.breaklines.count() || !d.triangulateStage.done) return false;
    const Breakline k = d.breaklines.pairs[static_cast<std::size_t>(i)];
    if (!isPoint(d, k.a) || !isPoint(d, k.b)) return false;
    // The link worker reads the triangles: it stops before they change.
    stopSurfaceWorkers(model);
    const bool changed =
        model.work.breaklineEnforcer.enforce(d.points, d.pointCount, d.triangles, d.triangleCount, k.a, k.b);
    if (!changed) return false;
    invalidateSurfaceResults(model);
    d.triangulateStage.done = true;
    d.triangulateStage.enabled = true;
    model.cycle.forceRedrawOnce = true;
    return changed;
}

void addBreaklinesFromPolyline(SiteModel& model, std::span<Vec3> vertices) {
    const SiteDocument& d = model.document;
    std::vector<int> match(vertices.size(), kNoPoint);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        match[i] = matchingPoint(d, vertices[i].x, vertices[i].y);
        vertices[i].z = match[i] == kNoPoint ? kNoMatch : pointOf(d, match[i]).elevation;
    }
    auto usable = [&](int p) {
        return p != kNoPoint && pointOf(d, p).useInSurface && isValidElevation(pointOf(d, p).elevation);
    };
    for (std::size_t i = 0; i + 1 < vertices.size(); ++i)
        if (match[i] != match[i + 1] && usable(match[i]) && usable(match[i + 1]))
            addBreakline(model, match[i], match[i + 1]);
}

void addBreaklinesFromPolylines(SiteModel& model, std::span<std::vector<Vec3>> polylines) {
    for (std::vector<Vec3>& line : polylines) addBreaklinesFromPolyline(model, line);
}

void breaklineBetween(SiteModel& model, Ui& ui, int first, int second) {
    SiteDocument& d = model.document;
    const int before = d.breaklines.count();
    if (!addBreakline(model, first, second)) {
        ui.message("Breakline crosses another breakline!");
        return;
    }
    model.input.selectedPoint = kNoPoint;
    setAllDisplayMarks(d, 1);
    for (int i = before; i < d.breaklines.count(); ++i) enforceBreakline(model, i);
    if (d.breaklines.ready()) d.breaklinesInserted = d.breaklines.count();
    model.renderer.redrawNeeded = true;
}

void insertBreaklinesStep(SiteModel& model) {
    SiteDocument& d = model.document;
    if (!d.triangulateStage.done || d.breaklines.ready()) return;
    model.renderer.redrawNeeded = true;
    const int count = d.breaklines.count();
    if (d.breaklinesInserted >= count) {
        d.breaklines.allInserted = true;
        d.breaklinesInserted = count;
        return;
    }
    // The triangle outlines show while breaklines go in.
    model.display.showDxfOverlay = false;
    model.display.surfaceMode = SurfaceMode::Off;
    model.display.showTriangles = true;
    for (int n = 0; n < kBreaklinesPerStep && d.breaklinesInserted < count; ++n) {
        enforceBreakline(model, d.breaklinesInserted);
        ++d.breaklinesInserted;
    }
    d.progress = static_cast<double>(d.breaklinesInserted) / static_cast<double>(count);
    if (d.breaklinesInserted >= count) {
        d.breaklines.allInserted = true;
        model.display.surfaceMode = SurfaceMode::Flat;
        model.display.showTriangles = false;
        model.display.showDxfOverlay = true;
    }
}

}  // namespace vellacor
