// Forcing 1,000 random short breaklines into a 100,000-point surface, as the
// staged insertion does after a rebuild: one enforcer, its edge links made
// once and mended after each breakline.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

#include "app/breaklines.h"
#include "app/surface_stages.h"
#include "surface/breakline_enforce.h"
#include "surface_bench_support.h"

namespace {

using namespace vellacor;
using namespace vellacor::bench;

// Pairs of points 10 to 30 apart (about 3 to 10 point spacings).
std::vector<std::pair<int, int>> shortPairs(const std::vector<PlanPoint>& points, int count) {
    constexpr int kCells = 100;  // 10 x 10 cells over the 1000 x 1000 site
    std::vector<std::vector<int>> cells(kCells * kCells);
    auto cellOf = [](double v, double origin) { return std::clamp(static_cast<int>((v - origin) / 10.0), 0, kCells - 1); };
    for (std::size_t i = 0; i < points.size(); ++i)
        cells[static_cast<std::size_t>(cellOf(points[i].x, 500000.0) * kCells + cellOf(points[i].y, 4000000.0))]
            .push_back(static_cast<int>(i));
    std::mt19937 random(11);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(points.size()) - 1), offset(-3, 3);
    std::vector<std::pair<int, int>> pairs;
    while (static_cast<int>(pairs.size()) < count) {
        const int a = pick(random);
        const int cx = cellOf(points[static_cast<std::size_t>(a)].x, 500000.0) + offset(random);
        const int cy = cellOf(points[static_cast<std::size_t>(a)].y, 4000000.0) + offset(random);
        if (cx < 0 || cy < 0 || cx >= kCells || cy >= kCells) continue;
        const auto& cell = cells[static_cast<std::size_t>(cx * kCells + cy)];
        if (cell.empty() || cell.front() == a) continue;
        const PlanPoint &p = points[static_cast<std::size_t>(a)], &q = points[static_cast<std::size_t>(cell.front())];
        const double length = std::hypot(p.x - q.x, p.y - q.y);
        if (length >= 10.0 && length <= 30.0) pairs.emplace_back(a, cell.front());
    }
    return pairs;
}

void BM_EnforceShortBreaklines(benchmark::State& state) {
    const std::vector<PlanPoint> points = uniformPoints(100000);
    const auto pairs = shortPairs(points, 1000);
    SiteModel model;
    SilentUi ui;
    loadPoints(model, points);
    model.document.triangulateStage.running = true;
    startTriangulation(model, ui);
    model.work.triangulation.wait();
    adoptFinishedSurfaceWork(model, ui);
    const std::vector<TinTriangle> surface = model.document.triangles;
    SiteDocument& d = model.document;
    int changed = 0;
    for (auto _ : state) {
        d.triangles = surface;
        const auto start = std::chrono::steady_clock::now();
        BreaklineEnforcer enforcer;
        changed = 0;
        for (const auto& [a, b] : pairs)
            changed += enforcer.enforce(d.points, d.pointCount, d.triangles, d.triangleCount, a, b) ? 1 : 0;
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["changed"] = changed;
    state.counters["triangles"] = d.triangleCount;
}
BENCHMARK(BM_EnforceShortBreaklines)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

namespace {

// The staged insertion as the frames run it after a rebuild: each step forces
// five breaklines. The slowest step is the one to hold against a frame.
void BM_InsertionStep(benchmark::State& state) {
    const std::vector<PlanPoint> points = uniformPoints(90000);
    const auto pairs = shortPairs(points, 1000);
    SiteModel model;
    SilentUi ui;
    double slowest = 0.0, total = 0.0;
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        loadPoints(model, points);
        for (const auto& [a, b] : pairs) addBreakline(model, a, b);
        model.document.triangulateStage.running = true;
        startTriangulation(model, ui);
        model.work.triangulation.wait();
        adoptFinishedSurfaceWork(model, ui);
        state.ResumeTiming();
        while (!model.document.breaklines.ready()) {
            const auto start = std::chrono::steady_clock::now();
            insertBreaklinesStep(model);
            const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            slowest = std::max(slowest, took);
            total += took;
            ++steps;
        }
    }
    state.counters["slowest_ms"] = 1000.0 * slowest;
    state.counters["mean_ms"] = 1000.0 * total / std::max(steps, 1);
    state.counters["triangles"] = model.document.triangleCount;
    state.counters["breaklines"] = model.document.breaklines.count();
}
BENCHMARK(BM_InsertionStep)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
