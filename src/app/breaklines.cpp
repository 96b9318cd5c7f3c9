#include "app/breaklines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>
#include <unordered_map>
#include <optional>

#include "app/site_edits.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "platform/ui.h"
#include "render/breakline_draw.h"
#include "surface/breakline_crossing.h"
#include "surface/breakline_enforce.h"
#include "surface/tin_geometry.h"

namespace vellacor {

namespace {

constexpr double kVertexMatch = 0.005;
constexpr double kNoMatch = -666.0;

// Finds the first point, in index order, within the matching distance of a
// place, among the points of the few cells of a grid as fine as that
// distance around it, rather than among all points.
class PointMatcher {
public:
    explicit PointMatcher(const SiteDocument& d) : d_(d) {
        cells_.reserve(static_cast<std::size_t>(std::max(d.pointCount, 0)));
        for (int i = 0; i < d.pointCount; ++i)
            if (const auto cell = cellOf(pointAt(d, i).easting, pointAt(d, i).northing))
                cells_[keyOf(cell->first, cell->second)].push_back(i);
    }

    int match(double x, double y) const {
        const auto centre = cellOf(x, y);
        if (!centre) return kNoPoint;
        int best = kNoPoint;
        for (std::int64_t dx = -1; dx <= 1; ++dx)
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                const auto found = cells_.find(keyOf(centre->first + dx, centre->second + dy));
                if (found == cells_.end()) continue;
                for (int i : found->second) {
                    if (best != kNoPoint && i >= best) break;  // each cell lists its points in index order
                    const SurveyPoint& p = pointAt(d_, i);
                    if (std::fabs(p.easting - x) < kVertexMatch && std::fabs(p.northing - y) < kVertexMatch) best = i;
                }
            }
        return best;
    }

private:
    using Cell = std::pair<std::int64_t, std::int64_t>;
    static std::optional<Cell> cellOf(double x, double y) {
        if (!isUsableCoordinate(x) || !isUsableCoordinate(y)) return std::nullopt;  // NaN too
        return Cell{static_cast<std::int64_t>(std::floor(x / kVertexMatch)),
                    static_cast<std::int64_t>(std::floor(y / kVertexMatch))};
    }
    // Two cells may share a key: their lists merge, still in index order, and
    // the distance test keeps the answer right.
    static std::uint64_t keyOf(std::int64_t cx, std::int64_t cy) {
        return static_cast<std::uint64_t>(cx) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(cy);
    }

    const SiteDocument& d_;
    std::unordered_map<std::uint64_t, std::vector<int>> cells_;
};

enum class Screening { Check, Ignore, Refuse };

// The tests before the list is looked at: the same point twice or a point
// that does not exist is refused, a point not used in the surface ignored.
Screening screen(const SiteDocument& d, int a, int b) {
    if (a == b || !isPointIndex(d, a) || !isPointIndex(d, b)) return Screening::Refuse;
    if (!pointAt(d, a).useInSurface || !pointAt(d, b).useInSurface) return Screening::Ignore;
    return Screening::Check;
}

// Adds a-b unless the list refuses it, testing it through the index: the
// decisions of addBreakline, for a run of additions.
bool addIndexedBreakline(SiteModel& model, BreaklineCrossingIndex& index, int a, int b) {
    model.display.showBreaklines = true;
    SiteDocument& d = model.document;
    const Screening screening = screen(d, a, b);
    if (screening != Screening::Check) return screening == Screening::Ignore;
    if (index.listed(a, b) || index.crossesListed(a, b)) return false;
    d.breaklines.pairs.push_back({a, b});
    index.add(a, b);
    return true;
}

// The point of the surface a breakline end stands for: itself, or the point
// kept at its place when the surface left it out as a duplicate.
int surfacePointOf(const SiteModel& model, int p) {
    const SiteDocument& d = model.document;
    if (!isPointIndex(d, p) || pointAt(d, p).useInSurface) return p;
    const std::vector<DuplicatePoint>& dropped = model.work.duplicatePoints;
    const auto found = std::lower_bound(dropped.begin(), dropped.end(), p,
                                        [](const DuplicatePoint& k, int point) { return k.point < point; });
    if (found == dropped.end() || found->point != p || !isPointIndex(d, found->kept)) return p;
    return found->kept;
}

}  // namespace

bool addBreakline(SiteModel& model, int a, int b) {
    model.display.showBreaklines = true;
    SiteDocument& d = model.document;
    const Screening screening = screen(d, a, b);
    if (screening != Screening::Check) return screening == Screening::Ignore;
    const SurfaceView surface = surfaceOf(d);
    for (const Breakline& k : d.breaklines.pairs) {
        if ((k.a == a && k.b == b) || (k.a == b && k.b == a)) return false;
        if (isPointIndex(d, k.a) && isPointIndex(d, k.b) && breaklinesCross(surface, a, b, k.a, k.b)) return false;
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

bool undoBreakline(SiteModel& model) { return removeBreakline(model, model.document.breaklines.count() - 1); }

bool removeBreakline(SiteModel& model, int i) {
    SiteDocument& d = model.document;
    if (i < 0 || i >= d.breaklines.count()) return false;
    // Those after it keep their order: the surface is made again in the same order.
    d.breaklines.pairs.erase(d.breaklines.pairs.begin() + i);
    if (i < d.breaklinesInserted) --d.breaklinesInserted;
    // A surface read as triangles cannot be made again from its points: it
    // keeps the edge rather than being lost.
    if (d.pointFileFormat != PointFileFormat::Raw) {
        dropSurfaceResults(model);
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
    const Breakline listed = d.breaklines.pairs[static_cast<std::size_t>(i)];
    const Breakline k{surfacePointOf(model, listed.a), surfacePointOf(model, listed.b)};
    if (!isPointIndex(d, k.a) || !isPointIndex(d, k.b) || k.a == k.b) return false;
    // The link worker reads the triangles: it stops before they change.
    stopSurfaceWorkers(model);
    // The enforcer took the triangulation's own links with the new surface.
    BreaklineEnforcer& enforcer = model.work.breaklineEnforcer;
    const bool changed =
        enforcer.enforce(d.points, d.pointCount, d.triangles, d.triangleCount, k.a, k.b);
    if (!changed) return false;
    dropSurfaceResults(model);
    d.triangulateStage.done = true;
    d.triangulateStage.enabled = true;
    model.cycle.forceRedrawOnce = true;
    return changed;
}

namespace {

void addMatchedPolyline(SiteModel& model, const PointMatcher& matcher, BreaklineCrossingIndex& index,
                        std::span<Vec3> vertices) {
    const SiteDocument& d = model.document;
    std::vector<int> match(vertices.size(), kNoPoint);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        match[i] = matcher.match(vertices[i].x, vertices[i].y);
        vertices[i].z = match[i] == kNoPoint ? kNoMatch : pointAt(d, match[i]).elevation;
    }
    auto usable = [&](int p) {
        return p != kNoPoint && pointAt(d, p).useInSurface && isValidElevation(pointAt(d, p).elevation);
    };
    for (std::size_t i = 0; i + 1 < vertices.size(); ++i)
        if (match[i] != match[i + 1] && usable(match[i]) && usable(match[i + 1]))
            addIndexedBreakline(model, index, match[i], match[i + 1]);
}

}  // namespace

void addBreaklinesFromPolyline(SiteModel& model, std::span<Vec3> vertices) {
    BreaklineCrossingIndex index(surfaceOf(model.document), model.document.breaklines.pairs, vertices.size());
    addMatchedPolyline(model, PointMatcher(model.document), index, vertices);
}

void addBreaklinesFromPolylines(SiteModel& model, std::span<std::vector<Vec3>> polylines) {
    const PointMatcher matcher(model.document);
    std::size_t segments = 0;
    for (const std::vector<Vec3>& line : polylines) segments += line.empty() ? 0 : line.size() - 1;
    BreaklineCrossingIndex index(surfaceOf(model.document), model.document.breaklines.pairs, segments);
    for (std::vector<Vec3>& line : polylines) addMatchedPolyline(model, matcher, index, line);
}

bool addAndEnforceBreakline(SiteModel& model, int first, int second) {
    SiteDocument& d = model.document;
    const int before = d.breaklines.count();
    if (!addBreakline(model, first, second)) return false;
    model.input.selectedPoint = kNoSelection;
    setAllDisplayMarks(d, PointMark::Ordinary);
    for (int i = before; i < d.breaklines.count(); ++i) enforceBreakline(model, i);
    if (d.breaklines.ready()) d.breaklinesInserted = d.breaklines.count();
    model.renderer.redrawNeeded = true;
    return true;
}

void breaklineBetween(SiteModel& model, Ui& ui, int first, int second) {
    const int before = model.document.breaklines.count();
    if (!addAndEnforceBreakline(model, first, second)) {
        ui.message("Breakline crosses another breakline!");
        return;
    }
    // A point left out of the surface adds nothing, and nothing is to be undone.
    if (model.document.breaklines.count() > before)
        recordSiteEdit(model, BreaklineEdit{model.document.breaklines.pairs.back(), true});
}

namespace {

// What the user had on before the breaklines went in comes back; a site
// shown without its surface gets the shaded surface, as after a build.
void restoreDisplayAfterInsertion(SiteModel& model) {
    std::optional<InsertionDisplay>& before = model.work.displayBeforeBreaklines;
    if (!before) return;
    DisplaySwitches& display = model.display;
    display.surfaceMode = before->surfaceMode == SurfaceMode::Off ? SurfaceMode::Flat : before->surfaceMode;
    display.showTriangles = before->showTriangles;
    display.showDxfOverlay = before->showDxfOverlay;
    before.reset();
}

}  // namespace

namespace {

// The staged insertion's step: enforces waiting breaklines, in list order,
// while keepGoing(enforced so far in this step) says so.
template <typename KeepGoing>
void insertWaitingBreaklines(SiteModel& model, KeepGoing keepGoing) {
    SiteDocument& d = model.document;
    if (!d.triangulateStage.done || d.breaklines.ready()) return;
    model.renderer.redrawNeeded = true;
    const int count = d.breaklines.count();
    if (d.breaklinesInserted >= count) {
        // The last breaklines were taken back while the earlier ones went in.
        d.breaklines.allInserted = true;
        d.breaklinesInserted = count;
        restoreDisplayAfterInsertion(model);
        return;
    }
    // The triangle outlines show while breaklines go in; what the user had
    // on comes back when they are all in.
    DisplaySwitches& display = model.display;
    std::optional<InsertionDisplay>& before = model.work.displayBeforeBreaklines;
    if (!before) before = InsertionDisplay{display.surfaceMode, display.showTriangles, display.showDxfOverlay};
    display.showDxfOverlay = false;
    display.surfaceMode = SurfaceMode::Off;
    display.showTriangles = true;
    for (int n = 0; d.breaklinesInserted < count && keepGoing(n); ++n) {
        drawBreaklineInserting(model.renderer.frame, model.renderer.sceneView, surfaceOf(d),
                               d.breaklines.pairs[static_cast<std::size_t>(d.breaklinesInserted)]);
        enforceBreakline(model, d.breaklinesInserted);
        ++d.breaklinesInserted;
    }
    d.progress = static_cast<double>(d.breaklinesInserted) / static_cast<double>(count);
    if (d.breaklinesInserted >= count) {
        d.breaklines.allInserted = true;
        restoreDisplayAfterInsertion(model);
    }
}

}  // namespace

void insertBreaklinesStep(SiteModel& model) {
    // A contour drawing's breakline takes about a microsecond: a frame puts in
    // thousands, and slow ones (long, across a dense surface) still go in a
    // few a frame.
    const Clock::time_point start = model.cycle.now();
    insertWaitingBreaklines(model, [&](int n) {
        return n < kLeastBreaklinesPerFrame || model.cycle.now() - start < kBreaklineFrameBudget;
    });
}

void insertAllBreaklines(SiteModel& model) {
    insertWaitingBreaklines(model, [](int) { return true; });
}

}  // namespace vellacor
