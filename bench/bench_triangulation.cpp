// Triangulation plus neighbour links, as the pipeline runs them, on uniform
// random points and on a regular grid; with CGAL installed, its
// Delaunay_triangulation_2 inserting the same points for reference.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <map>

#include "app/surface_stages.h"
#include "surface_bench_support.h"

#ifdef VELLACOR_WITH_CGAL
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#endif

namespace {

using namespace vellacor;
using namespace vellacor::bench;

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

const std::vector<PlanPoint>& uniform(int count) {
    static std::map<int, std::vector<PlanPoint>> cache;
    auto& points = cache[count];
    if (points.empty()) points = uniformPoints(count);
    return points;
}

const std::vector<PlanPoint>& grid1000() {
    static const std::vector<PlanPoint> points = gridPoints(1000);
    return points;
}

void surface(benchmark::State& state, const std::vector<PlanPoint>& points) {
    SiteModel model;
    SilentUi ui;
    for (auto _ : state) {
        loadPoints(model, points);
        state.SetIterationTime(buildLoadedSurface(model, ui));
        if (!model.document.contourStage.done) state.SkipWithError("the surface was not finished");
    }
    state.counters["triangles"] = model.document.triangleCount;
    state.counters["peak_rss_MB"] = peakMegabytes();
}

void BM_Surface_Uniform(benchmark::State& state) { surface(state, uniform(static_cast<int>(state.range(0)))); }
void BM_Surface_Grid1000x1000(benchmark::State& state) { surface(state, grid1000()); }

BENCHMARK(BM_Surface_Uniform)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Surface_Grid1000x1000)->UseManualTime()->Unit(benchmark::kMillisecond);

// Peak memory of one build of 1,000,000 points, the points made straight in
// the model as a reader would. Meaningful only in a process of its own:
// --benchmark_filter=PeakMemory
void BM_Surface_PeakMemory_1M(benchmark::State& state) {
    SiteModel model;
    SilentUi ui;
    for (auto _ : state) {
        loadPoints(model, {});
        model.document.points.assign(1000003, SurveyPoint{});
        std::mt19937_64 random(1);
        std::uniform_real_distribution<double> unit(0.0, 1000.0);
        for (int i = 0; i < 1000000; ++i) {
            SurveyPoint& p = model.document.points[static_cast<std::size_t>(i)];
            p.easting = 500000.0 + unit(random);
            p.northing = 4000000.0 + unit(random);
            p.elevation = 100.0 + 0.01 * (p.easting - 500000.0);
            p.useInSurface = true;
        }
        model.document.pointCount = 1000000;
        computeExtents(model.document);
        state.SetIterationTime(buildLoadedSurface(model, ui));
    }
    state.counters["peak_rss_MB"] = peakMegabytes();
}
BENCHMARK(BM_Surface_PeakMemory_1M)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

#ifdef VELLACOR_WITH_CGAL
using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel>;

void cgal(benchmark::State& state, const std::vector<PlanPoint>& points) {
    std::vector<Kernel::Point_2> input;
    input.reserve(points.size());
    for (const PlanPoint& p : points) input.emplace_back(p.x, p.y);
    std::size_t faces = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        Delaunay delaunay;
        delaunay.insert(input.begin(), input.end());
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        faces = delaunay.number_of_faces();
    }
    state.counters["triangles"] = static_cast<double>(faces);
}

void BM_Cgal_Uniform(benchmark::State& state) { cgal(state, uniform(static_cast<int>(state.range(0)))); }
void BM_Cgal_Grid1000x1000(benchmark::State& state) { cgal(state, grid1000()); }

BENCHMARK(BM_Cgal_Uniform)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cgal_Grid1000x1000)->UseManualTime()->Unit(benchmark::kMillisecond);
#endif

}  // namespace
