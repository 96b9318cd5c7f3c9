// Cut and fill between two surfaces of 1,000,000 points each (uniform random
// against uniform random, a regular grid against uniform random, and rolling
// ground against a graded pad), beside the time to build one of them
// (triangulation and neighbour links, as the pipeline runs them) in the same
// run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
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

// A level pad on rolling ground, as a finished-ground design is drawn: a
// rectangle 440 x 280 m turned 30 degrees at 110 m, about the ground's mean
// there, with 1:3 side slopes down to the ground where it is filled and up
// to it where it is cut; beyond where the slopes meet the ground the design
// is the ground. The ground crosses the pad's level along a winding line
// and the slopes meet it along another, so the zero line of the difference
// is long and winding and most of the site is neither cut nor fill.
struct Pad {
    static constexpr double kLevel = 110.0, kHalfLength = 220.0, kHalfWidth = 140.0, kSlope = 3.0;
    static constexpr double kCx = 500500.0, kCy = 4000500.0;

    static double ground(double x, double y) {
        return 100.0 + 25.0 * std::sin(0.013 * (x - 500000.0)) * std::cos(0.011 * (y - 4000000.0)) + 0.02 * (x - 500000.0);
    }
    // Plan distance from the pad (0 on it).
    static double distance(double x, double y) {
        const double c = std::cos(0.5235987755982988), s = std::sin(0.5235987755982988);
        const double u = std::fabs(c * (x - kCx) + s * (y - kCy)) - kHalfLength;
        const double v = std::fabs(-s * (x - kCx) + c * (y - kCy)) - kHalfWidth;
        return std::hypot(std::max(u, 0.0), std::max(v, 0.0));
    }
    // The design's height, and whether the grading reaches (x, y).
    static double design(double x, double y, bool& graded) {
        const double g = ground(x, y), reach = distance(x, y) / kSlope;
        graded = std::fabs(g - kLevel) > reach;
        return std::clamp(g, kLevel - reach, kLevel + reach);
    }
};

// Metres given in whole millimetres, as the files of some design offices are.
double millimetres(double v) { return std::round(v * 1000.0); }

// The ground: the usual uniform points with the rolling heights, in millimetres.
std::vector<PlanPoint> rollingGround() {
    std::vector<PlanPoint> points = uniformPoints(kPoints, 1);
    for (PlanPoint& p : points) p = {millimetres(p.x), millimetres(p.y), millimetres(Pad::ground(p.x, p.y))};
    return points;
}

// The finished ground: the ground's own points where the grading does not
// reach, and as many points again of the pad and its slopes, in millimetres.
std::vector<PlanPoint> padDesign() {
    std::vector<PlanPoint> points;
    for (const PlanPoint& p : rollingGround()) {
        bool graded = false;
        Pad::design(p.x / 1000.0, p.y / 1000.0, graded);
        if (!graded) points.push_back(p);
    }
    std::mt19937_64 random(2);
    std::uniform_real_distribution<double> unit(0.0, 1000.0);
    while (points.size() < static_cast<std::size_t>(kPoints)) {
        const double x = std::round(1000.0 * (500000.0 + unit(random))) / 1000.0;
        const double y = std::round(1000.0 * (4000000.0 + unit(random))) / 1000.0;
        bool graded = false;
        const double z = Pad::design(x, y, graded);
        if (graded) points.push_back({millimetres(x), millimetres(y), millimetres(z)});
    }
    return points;
}

// The same pad drawn on its own points over the whole site: beyond the
// grading the two surfaces differ only by how each follows the ground.
std::vector<PlanPoint> padResurveyed() {
    std::vector<PlanPoint> points = uniformPoints(kPoints, 2);
    bool graded = false;
    for (PlanPoint& p : points) p = {millimetres(p.x), millimetres(p.y), millimetres(Pad::design(p.x, p.y, graded))};
    return points;
}

void compare(benchmark::State& state, const std::vector<PlanPoint>& sitePoints, const std::vector<PlanPoint>& comparisonPoints) {
    SiteModel site, comparison;
    buildSurface(site, sitePoints);
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
    state.counters["cut_area"] = totals ? totals->cutArea : 0.0;
    state.counters["fill_area"] = totals ? totals->fillArea : 0.0;
    state.counters["peak_rss_MB"] = peakMegabytes();
}

void BM_Volume_Uniform1M_Uniform1M(benchmark::State& state) { compare(state, uniformPoints(kPoints, 1), design(uniformPoints(kPoints, 2))); }
void BM_Volume_Uniform1M_Grid1000x1000(benchmark::State& state) { compare(state, uniformPoints(kPoints, 1), gridDesign()); }
void BM_Volume_RollingGround1M_Pad1M(benchmark::State& state) { compare(state, rollingGround(), padDesign()); }
void BM_Volume_RollingGround1M_PadResurveyed1M(benchmark::State& state) { compare(state, rollingGround(), padResurveyed()); }

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
BENCHMARK(BM_Volume_RollingGround1M_Pad1M)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Volume_RollingGround1M_PadResurveyed1M)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
