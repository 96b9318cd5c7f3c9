// Draping a CAD overlay of about 17,000 vertices over a surface of about
// 23,000 triangles, as the overlay worker does once a drawing is opened:
// wavy lines that cross the faces and run past the site's edges, and lines
// that run from survey point to survey point along the surface's own edges.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <random>

#include "app/pipeline.h"
#include "app/surface_stages.h"
#include "surface/drape_lines.h"
#include "surface_bench_support.h"

namespace {

using namespace vellacor;
using namespace vellacor::bench;

// 40 wavy lines of 419 vertices across the 1000 x 1000 site and 10 beyond each side.
std::vector<CadLine> wavyLines() {
    std::vector<CadLine> lines(40);
    for (std::size_t k = 0; k < lines.size(); ++k)
        for (int i = 0; i < 419; ++i) {
            const double x = -10.0 + 1020.0 * i / 418.0;
            const double y = 25.0 * (static_cast<double>(k) + 0.5) + 8.0 * std::sin(0.02 * x + static_cast<double>(k));
            lines[k].vertices.push_back({500000.0 + x, 4000000.0 + y, 0.0});
        }
    return lines;
}

// A 107 x 107 grid, each point moved by up to a quarter spacing.
std::vector<PlanPoint> jitteredGrid() {
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> jitter(-2.3, 2.3);
    std::vector<PlanPoint> points;
    for (int j = 0; j < 107; ++j)
        for (int i = 0; i < 107; ++i) {
            const double x = 9.35 * i + jitter(random), y = 9.35 * j + jitter(random);
            points.push_back({500000.0 + x, 4000000.0 + y, 100.0 + 20.0 * std::sin(0.01 * x) * std::cos(0.013 * y)});
        }
    return points;
}

// Every row of the grid and every second column, through the points themselves.
std::vector<CadLine> gridLines(const std::vector<PlanPoint>& points) {
    std::vector<CadLine> lines;
    auto at = [&](int i, int j) {
        const PlanPoint& p = points[static_cast<std::size_t>(j * 107 + i)];
        return Vec3{p.x, p.y, p.z};
    };
    for (int j = 0; j < 107; ++j) {
        CadLine& row = lines.emplace_back();
        for (int i = 0; i < 107; ++i) row.vertices.push_back(at(i, j));
    }
    for (int i = 0; i < 107; i += 2) {
        CadLine& column = lines.emplace_back();
        for (int j = 0; j < 107; ++j) column.vertices.push_back(at(i, j));
    }
    return lines;
}

void drapeOverlay(benchmark::State& state, const std::vector<PlanPoint>& points, const std::vector<CadLine>& lines) {
    SiteModel model;
    SilentUi ui;
    loadPoints(model, points);
    buildSurfaceToCompletion(model, ui);
    const SurfaceView surface = linkedSurfaceOf(model);
    std::atomic<bool> cancelled{false};
    std::atomic<double> progress{0.0};
    const JobControl control(cancelled, progress);
    std::vector<CadLine> draped;
    std::size_t vertices = 0, drapedVertices = 0;
    for (const CadLine& line : lines) vertices += line.vertices.size();
    for (auto _ : state) {
        drapeCadLines(surface, lines, draped, control);
        benchmark::DoNotOptimize(draped.data());
    }
    for (const CadLine& line : draped) drapedVertices += line.vertices.size();
    state.counters["triangles"] = surface.triangleCount;
    state.counters["vertices"] = static_cast<double>(vertices);
    state.counters["draped"] = static_cast<double>(drapedVertices);
}

void BM_DrapeWavyOverlay(benchmark::State& state) { drapeOverlay(state, uniformPoints(11500), wavyLines()); }
BENCHMARK(BM_DrapeWavyOverlay)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DrapeLinesThroughSurveyPoints(benchmark::State& state) {
    const std::vector<PlanPoint> points = jitteredGrid();
    drapeOverlay(state, points, gridLines(points));
}
BENCHMARK(BM_DrapeLinesThroughSurveyPoints)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
