#include "app/cut_fill_view.h"

#include <algorithm>
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

// The comparison's edge laid on the site, where it crosses the site. Needs
// the site's neighbour links. Time: per hull edge, the site triangles it crosses.
void layComparisonEdge(SiteModel& model) {
    auto& out = model.renderer.cutFill;
    out.edgePending = !model.document.contourStage.done;
    if (out.edgePending) return;
    const SurfaceView site = linkedSurfaceOf(model);
    DrapeStart start;
    std::vector<Vec3> draped;
    for (const auto& [a, b] : comparisonHull(linkedSurfaceOf(*model.comparison.surface))) {
        draped.clear();
        drapeSegment(site, start, a.x, a.y, b.x, b.y, draped);
        for (std::size_t i = 1; i < draped.size(); ++i) {
            if (draped[i - 1].z == kOutsideSurface || draped[i].z == kOutsideSurface) continue;
            out.comparisonEdge.push_back(draped[i - 1]);
            out.comparisonEdge.push_back(draped[i]);
        }
    }
}

// The comparison's height under each point of the site, as the difference
// site - comparison; NaN off the comparison. Time: the comparison's
// triangles (the grid) plus one cell's triangles per point.
void makeDifference(SiteModel& model) {
    auto& out = model.renderer.cutFill;
    out = {};
    out.made = true;
    const SurfaceView site = surfaceOf(model.document);
    const ComparisonState& c = model.comparison;
    const bool againstDatum = c.datum.has_value();
    if (!againstDatum && !comparisonSurfaceReady(model)) return;
    const SurfaceView comparison = againstDatum ? SurfaceView{} : linkedSurfaceOf(*c.surface);
    const TriangleGrid grid = againstDatum ? TriangleGrid{} : buildTriangleGrid(comparison);
    out.atPoint.assign(static_cast<std::size_t>(std::max(site.pointCount, 0)), std::nan(""));
    bool any = false;
    for (int i = 0; i < site.pointCount; ++i) {
        const SurveyPoint& p = site.point(i);
        double below = againstDatum ? *c.datum : std::nan("");
        if (!againstDatum) {
            const int t = locateInGrid(grid, comparison, p.easting, p.northing);
            if (t != kNoTriangle) below = planeElevation(comparison.triangle(t), p.easting, p.northing);
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
    if (!againstDatum && out.someNotCompared) layComparisonEdge(model);
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

void prepareCutFillShading(SiteModel& model) {
    RendererState& r = model.renderer;
    if (!r.cutFill.made) makeDifference(model);
    if (r.cutFill.edgePending) layComparisonEdge(model);
    const SurfaceView site = surfaceOf(model.document);
    if (r.shades.size() < static_cast<std::size_t>(site.triangleCount))
        r.shades.resize(static_cast<std::size_t>(site.triangleCount));
    cutFillShade(site, r.cutFill.atPoint, colourScale(r.cutFill), r.shades);
}

void drawCutFillZeroLine(SiteModel& model) {
    if (model.display.surfaceMode != SurfaceMode::CutFill || !model.document.triangulateStage.done) return;
    SceneContourSink sink(model.renderer.frame, model.camera.view);
    const auto& cutFill = model.renderer.cutFill;
    traceZeroLine(surfaceOf(model.document), cutFill.atPoint, sink, kCutFillZeroLineColour);
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
    if (!d.made || d.atPoint.empty() || std::none_of(d.atPoint.begin(), d.atPoint.end(), [](double v) { return std::isfinite(v); })) {
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
