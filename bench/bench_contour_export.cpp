// Contour export of 50 levels over a surface of 100,000 random points, with
// straight and with smoothed contours.
#include <benchmark/benchmark.h>

#include "surface/contour_export.h"
#include "app/surface_stages.h"
#include "surface_bench_support.h"

namespace {

using namespace vellacor;
using namespace vellacor::bench;

void BM_ContourExport_50Levels_100k(benchmark::State& state) {
    SiteModel model;
    SilentUi ui;
    loadPoints(model, uniformPoints(100000));
    buildLoadedSurface(model, ui);

    model.document.contours.contourInterval = (model.document.maxElevation - model.document.minElevation) / 50.0;
    model.document.contours.contourSmoothing = static_cast<double>(state.range(0)) / 10.0;
    std::size_t polylines = 0, vertices = 0;
    for (auto _ : state) {
        const std::vector<ExportPolyline> contours = traceContoursForExport(model.document);
        polylines = contours.size();
        vertices = 0;
        for (const ExportPolyline& c : contours) vertices += c.points.size();
        benchmark::DoNotOptimize(contours.data());
    }
    state.counters["polylines"] = static_cast<double>(polylines);
    state.counters["vertices"] = static_cast<double>(vertices);
}

BENCHMARK(BM_ContourExport_50Levels_100k)->ArgName("smoothing_x10")->Arg(0)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
