// Cut and fill between two surfaces of 1,000,000 points each (uniform random
// against uniform random, and a regular grid against uniform random), beside
// the time to build one of them (triangulation and neighbour links, as the
// pipeline runs them) in the same run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "app/comparison_surface.h"
#include "app/cut_fill_view.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "surface/volumes.h"
#include "surface_bench_support.h"

namespace {

using namespace vellacor;
using namespace vellacor::bench;

constexpr int kPoints = 1000000;

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Processor time of every thread of the process so far: the machine may be
// shared, so the figures compare work done, not wall time alone.
double processSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

double buildSurface(SiteModel& model, const std::vector<PlanPoint>& points) {
    SilentUi ui;
    loadPoints(model, points);
    return buildLoadedSurface(model, ui);
}

// The design: the same ground lowered into a wide cut and raised on the far side.
std::vector<PlanPoint> design(std::vector<PlanPoint> points) {
    for (PlanPoint& p : points) p.z = 100.0 + 0.015 * (p.x - 500000.0) + 0.005 * (p.y - 4000000.0);
    return points;
}

// A grid of the same extent as the uniform points (1000 x 1000, spacing 1).
std::vector<PlanPoint> gridDesign() {
    std::vector<PlanPoint> points = design(gridPoints(1000));
    return points;
}

void compare(benchmark::State& state, const std::vector<PlanPoint>& comparisonPoints) {
    SiteModel site, comparison;
    buildSurface(site, uniformPoints(kPoints, 1));
    buildSurface(comparison, comparisonPoints);
    const SurfaceView a = linkedSurfaceOf(site), b = linkedSurfaceOf(comparison);
    std::optional<VolumeTotals> totals;
    double processorSeconds = 0;
    for (auto _ : state) {
        const double before = processSeconds();
        totals = compareSurfaces(a, b, {});
        benchmark::DoNotOptimize(totals);
        processorSeconds += processSeconds() - before;
    }
    state.counters["all_threads_cpu_s"] = processorSeconds / static_cast<double>(state.iterations());
    state.counters["site_triangles"] = a.triangleCount;
    state.counters["comparison_triangles"] = b.triangleCount;
    state.counters["cut"] = totals ? totals->cut : 0.0;
    state.counters["fill"] = totals ? totals->fill : 0.0;
    state.counters["peak_rss_MB"] = peakMegabytes();
}

void BM_Volume_Uniform1M_Uniform1M(benchmark::State& state) { compare(state, design(uniformPoints(kPoints, 2))); }
void BM_Volume_Uniform1M_Grid1000x1000(benchmark::State& state) { compare(state, gridDesign()); }

void BM_BuildSurface_Uniform1M(benchmark::State& state) {
    const std::vector<PlanPoint> points = uniformPoints(kPoints, 1);
    double processorSeconds = 0;
    for (auto _ : state) {
        SiteModel model;
        const double before = processSeconds();
        state.SetIterationTime(buildSurface(model, points));
        processorSeconds += processSeconds() - before;
    }
    state.counters["all_threads_cpu_s"] = processorSeconds / static_cast<double>(state.iterations());
}

// The difference at every site point that the Cut/Fill colours are drawn
// from, worked out in the background when the view first shows against a
// new comparison; beside it the window thread's part, the corner shades.
void BM_CutFillDifference_Uniform1M_Uniform1M(benchmark::State& state) {
    SiteModel site;
    buildSurface(site, uniformPoints(kPoints, 1));
    site.comparison.surface = std::make_unique<SiteModel>();
    buildSurface(*site.comparison.surface, design(uniformPoints(kPoints, 2)));
    site.comparison.surface->document.breaklines.allInserted = true;
    site.display.surfaceMode = SurfaceMode::CutFill;
    double shadeSeconds = 0;
    for (auto _ : state) {
        forgetCutFillDifference(site);
        while (!site.renderer.cutFill.made) {
            stepCutFillDifference(site);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const auto start = std::chrono::steady_clock::now();
        prepareCutFillShading(site);
        shadeSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(site.renderer.cutFill.atPoint.data());
    }
    state.counters["window_thread_shades_s"] = shadeSeconds / static_cast<double>(state.iterations());
    state.counters["reference_ready"] = hasCutFillReference(site) ? 1 : 0;
    state.counters["highest"] = site.renderer.cutFill.highest;
}

BENCHMARK(BM_CutFillDifference_Uniform1M_Uniform1M)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BuildSurface_Uniform1M)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Volume_Uniform1M_Uniform1M)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Volume_Uniform1M_Grid1000x1000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
