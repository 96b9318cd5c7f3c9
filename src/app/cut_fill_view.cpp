#include "app/cut_fill_view.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>

#include "app/comparison_surface.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "app/view_settings.h"
#include "platform/ui.h"
#include "render/cut_fill_draw.h"
#include "render/palette.h"
#include "render/scene.h"
#include "surface/drape.h"
#include "surface/tin_geometry.h"
#include "surface/triangle_grid.h"

namespace vellacor {

namespace {

// The plan edge of the comparison: its triangle edges without a neighbour.
// Time: the comparison's triangles (its hull edges when it keeps them).
std::vector<std::pair<Vec3, Vec3>> comparisonHull(const SurfaceView& comparison) {
    std::vector<std::pair<Vec3, Vec3>> edges;
    const auto add = [&](int t, int k) {
        const TinTriangle& tri = comparison.triangle(t);
        const SurveyPoint& a = comparison.point(tri.vertex[k]);
        const SurveyPoint& b = comparison.point(tri.vertex[(k + 1) % 3]);
        edges.push_back({{a.easting, a.northing, 0}, {b.easting, b.northing, 0}});
    };
    if (!comparison.hullEdges.empty()) {
        for (const HullEdge& h : comparison.hullEdges) add(h.triangle, h.edge);
        return edges;
    }
    for (int t = 0; t < comparison.triangleCount; ++t)
        for (int k = 0; k < 3; ++k)
            if (comparison.triangle(t).neighbour[k] == kNoTriangle) add(t, k);
    return edges;
}

// The comparison's edge laid on the site, where it crosses the site, as
// pairs of line ends. Needs the site's neighbour links. Time: the site's
// triangles once (a plan grid, so that an edge starting off the site or away
// from the last one is found in one cell rather than by a scan of every
// triangle), then per hull edge the site triangles it crosses. Stops with
// what it has when the job is cancelled.
std::vector<Vec3> layComparisonEdge(const SurfaceView& site, const SurfaceView& comparison, const JobControl& control) {
    std::vector<Vec3> edge;
    const TriangleGrid grid = buildTriangleGrid(site);
    DrapeStart start;
    start.grid = &grid;
    std::vector<Vec3> draped;
    for (const auto& [a, b] : comparisonHull(comparison)) {
        if (control.cancelled()) break;
        draped.clear();
        drapeSegment(site, start, a.x, a.y, b.x, b.y, draped);
        for (std::size_t i = 1; i < draped.size(); ++i) {
            if (draped[i - 1].z == kOutsideSurface || draped[i].z == kOutsideSurface) continue;
            edge.push_back(draped[i - 1]);
            edge.push_back(draped[i]);
        }
    }
    return edge;
}

// Keeps the traced zero line's pieces, as pairs of line ends.
struct ZeroLineCollector : ContourLineSink {
    explicit ZeroLineCollector(std::vector<Vec3>& into) : ends(into) {}
    void line(const Vec3& from, const Vec3& to, std::uint8_t) override {
        ends.push_back(from);
        ends.push_back(to);
    }
    std::vector<Vec3>& ends;
};

// The comparison's height under each point of the site, as the difference
// site - comparison (or site - datum when there is no comparison); NaN off
// the comparison, whose edge is then laid on the site. Runs on the worker:
// it reads the two surfaces only. Time: the comparison's triangles (the
// grid) plus one cell's triangles per point, and the edge.
bool workOutDifference(const SurfaceView& site, bool siteLinked, const SurfaceView* comparison, double datum,
                       RendererState::CutFillDifference& out, const JobControl& control) {
    const TriangleGrid grid = comparison ? buildTriangleGrid(*comparison) : TriangleGrid{};
    out.atPoint.assign(static_cast<std::size_t>(std::max(site.pointCount, 0)), std::nan(""));
    bool any = false;
    for (int i = 0; i < site.pointCount; ++i) {
        if (i % 16384 == 0 && !control.carryOn(static_cast<double>(i) / site.pointCount)) return false;
        const SurveyPoint& p = site.point(i);
        double below = comparison ? std::nan("") : datum;
        if (comparison) {
            const int t = locateInGrid(grid, *comparison, p.easting, p.northing);
            if (t != kNoTriangle) below = planeElevation(*comparison, t, p.easting, p.northing);
        }
        const double d = p.elevation - below;
        if (!std::isfinite(d) || !isValidElevation(p.elevation) || below == kVerticalPlane) {
            out.someNotCompared = true;
            continue;
        }
        out.atPoint[static_cast<std::size_t>(i)] = d;
        out.lowest = any ? std::min(out.lowest, d) : d;
        out.highest = any ? std::max(out.highest, d) : d;
        any = true;
    }
    out.someCompared = any;
    ZeroLineCollector zeroLine{out.zeroLine};
    traceZeroLine(site, out.atPoint, zeroLine, kCutFillZeroLineColour);
    out.edgePending = comparison && out.someNotCompared && !siteLinked;
    if (comparison && out.someNotCompared && siteLinked)
        out.comparisonEdge = layComparisonEdge(site, *comparison, control);
    return true;
}

// Starts working out the difference for the view. Its worker reads the
// surfaces in place: it starts only on a finished site surface (its triangles
// only once they are linked), and what changes either surface cancels it
// first (stopSurfaceWorkers, openComparisonSurface, forgetCutFillDifference).
void startDifference(SiteModel& model) {
    const ComparisonState& c = model.comparison;
    const SurfaceView site = linkedSurfaceOf(model);
    const bool siteLinked = model.document.contourStage.done;
    const std::optional<SurfaceView> comparison =
        c.datum ? std::nullopt : std::optional<SurfaceView>(linkedSurfaceOf(*c.surface));
    const double datum = c.datum.value_or(0.0);
    BackgroundWork& work = model.work;
    work.cutFillProgress = 0.0;
    work.cutFillDifference.start(work.cutFillProgress, [site, siteLinked, comparison, datum](
                                                          RendererState::CutFillDifference& out,
                                                          const JobControl& control) {
        return workOutDifference(site, siteLinked, comparison ? &*comparison : nullptr, datum, out, control);
    });
}

// The difference the colours run to either side of zero: the same scale both
// ways, so equal colours mean equal depths of cut and of fill.
double colourScale(const RendererState::CutFillDifference& d) {
    return std::max(std::fabs(d.lowest), std::fabs(d.highest));
}

std::string twoDecimals(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

}  // namespace

bool hasCutFillReference(const SiteModel& model) {
    return model.comparison.datum.has_value() || comparisonSurfaceReady(model);
}

void toggleCutFillView(SiteModel& model, Ui& ui) {
    DisplaySwitches& d = model.display;
    if (d.surfaceMode == SurfaceMode::CutFill) {
        setSurfaceMode(model, SurfaceMode::Flat);
        return;
    }
    if (!hasCutFillReference(model)) {
        ui.message(comparisonSurfaceBuilding(model)
                       ? "The comparison surface is still being built."
                       : "Open a comparison surface (File > Open Comparison Surface...) or give an elevation "
                         "(Volumes > Volume to Elevation...) first.",
                   MessageKind::Information);
        return;
    }
    setSurfaceMode(model, SurfaceMode::CutFill);
}

void stepCutFillDifference(SiteModel& model) {
    RendererState& r = model.renderer;
    BackgroundJob<RendererState::CutFillDifference>& job = model.work.cutFillDifference;
    if (std::optional<JobOutcome<RendererState::CutFillDifference>> outcome = job.adopt()) {
        r.cutFill = outcome->complete ? std::move(outcome->result) : RendererState::CutFillDifference{};
        r.cutFill.made = true;  // out of memory: the neutral grey, not a new run every frame
        r.redrawNeeded = true;
        return;
    }
    // Links that came after the difference: the edge is laid here, once.
    if (r.cutFill.edgePending && model.document.contourStage.done && model.comparison.surface) {
        const std::atomic<bool> never{false};
        const JobControl control(never, model.work.cutFillProgress);
        r.cutFill.comparisonEdge =
            layComparisonEdge(linkedSurfaceOf(model), linkedSurfaceOf(*model.comparison.surface), control);
        r.cutFill.edgePending = false;
        r.redrawNeeded = true;
    }
    const SiteDocument& d = model.document;
    if (model.display.surfaceMode != SurfaceMode::CutFill || r.cutFill.made || job.active()) return;
    if (!d.triangulateStage.done || !d.breaklines.ready() || !hasCutFillReference(model)) return;
    startDifference(model);
}

bool cancelCutFillDifference(SiteModel& model) {
    const bool running = model.work.cutFillDifference.active();
    model.work.cutFillDifference.cancel();
    return running;
}

std::optional<std::string> cutFillProgressMessage(const SiteModel& model) {
    if (!model.work.cutFillDifference.active()) return std::nullopt;
    return "Cut/Fill Colours";
}

void prepareCutFillShading(SiteModel& model) {
    RendererState& r = model.renderer;
    const SurfaceView site = surfaceOf(model.document);
    if (r.shades.size() < static_cast<std::size_t>(site.triangleCount))
        r.shades.resize(static_cast<std::size_t>(site.triangleCount));
    cutFillShade(site, r.cutFill.atPoint, colourScale(r.cutFill), r.shades);
}

void drawCutFillZeroLine(SiteModel& model) {
    if (model.display.surfaceMode != SurfaceMode::CutFill || !model.document.triangulateStage.done) return;
    SceneContourSink sink(model.renderer.frame, model.camera.view);
    const auto& cutFill = model.renderer.cutFill;
    for (std::size_t i = 0; i + 1 < cutFill.zeroLine.size(); i += 2)
        sink.line(cutFill.zeroLine[i], cutFill.zeroLine[i + 1], kCutFillZeroLineColour);
    for (std::size_t i = 0; i + 1 < cutFill.comparisonEdge.size(); i += 2)
        sink.line(cutFill.comparisonEdge[i], cutFill.comparisonEdge[i + 1], kCutFillEdgeColour);
}

std::vector<std::string> comparisonStatusLines(const SiteModel& model) {
    const ComparisonState& c = model.comparison;
    std::vector<std::string> lines;
    const std::string against =
        c.datum ? "elevation " + twoDecimals(*c.datum) : c.name;
    if (model.display.surfaceMode != SurfaceMode::CutFill) {
        if (c.surface) lines.push_back("Comparison: " + c.name);
        return lines;
    }
    const auto& d = model.renderer.cutFill;
    if (!d.made || !d.someCompared) {
        lines.push_back("Cut/Fill against " + against + ": nothing compared");
        return lines;
    }
    lines.push_back("Cut/Fill against " + against + ": " + twoDecimals(d.lowest) + (d.lowest < 0 ? " (fill)" : "") +
                    " to " + twoDecimals(d.highest) + (d.highest > 0 ? " (cut)" : ""));
    lines.push_back("Red: cut (site above), blue: fill (site below)");
    lines.push_back(d.someNotCompared ? "Black line: no change, grey: not compared" : "Black line: no change");
    return lines;
}

}  // namespace vellacor
