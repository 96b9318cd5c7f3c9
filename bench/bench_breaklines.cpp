// Forcing 1,000 random short breaklines into a 100,000-point surface, as the
// staged insertion does after a rebuild: one enforcer, its edge links made
// once and mended after each breakline. And 60,000 CAD lines becoming
// breaklines, through the crossing index and by scanning the whole list. And
// a contour drawing's breaklines, at once and by the window's frames.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>

#include "app/breaklines.h"
#include "app/dxf_import.h"
#include "app/site_model.h"
#include "app/surface_stages.h"
#include "surface/breakline_enforce.h"
#include "surface/tin_geometry.h"
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
// what fits in a frame's budget. The slowest step is the one to hold against a frame.
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

namespace {

// 60,000 CAD LINEs chained into 200 wavy contours of 300 lines each, and the
// site's points made from their vertices, as a drawing without points opens.
std::vector<CadLine> contourLines() {
    std::vector<CadLine> lines;
    for (int row = 0; row < 200; ++row)
        for (int k = 0; k < 300; ++k) {
            CadLine line;
            line.vertices = {{1.0 * k, 3.0 * row + std::sin(0.1 * k + row), 10.0 + row},
                             {1.0 * k + 1.0, 3.0 * row + std::sin(0.1 * (k + 1) + row), 10.0 + row}};
            lines.push_back(line);
        }
    return lines;
}

std::vector<std::vector<Vec3>> polylinesOf(const std::vector<CadLine>& lines) {
    std::vector<std::vector<Vec3>> polylines;
    for (const CadLine& line : lines) polylines.push_back(line.vertices);
    return polylines;
}

// Answering Yes to "Use CAD lines as Breaklines?": the lines' points matched
// and every pair tested for crossings through the index.
void BM_CadLinesBecomeBreaklines(benchmark::State& state) {
    const std::vector<CadLine> lines = contourLines();
    SiteModel model;
    SilentUi ui;
    storeImportedPoints(model, ui, pointsFromContours(lines));
    for (auto _ : state) {
        state.PauseTiming();
        model.document.breaklines.pairs.clear();
        std::vector<std::vector<Vec3>> polylines = polylinesOf(lines);
        state.ResumeTiming();
        addBreaklinesFromPolylines(model, polylines);
    }
    state.counters["breaklines"] = model.document.breaklines.count();
}
BENCHMARK(BM_CadLinesBecomeBreaklines)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same run as it went before the index: each pair, matched as above,
// tested against every breakline already listed. Quadratic; one iteration.
void BM_CadLinesBecomeBreaklinesScanningTheList(benchmark::State& state) {
    const std::vector<CadLine> lines = contourLines();
    SiteModel model;
    SilentUi ui;
    storeImportedPoints(model, ui, pointsFromContours(lines));
    const SiteDocument& d = model.document;
    // The first point at each vertex, as the matching finds it.
    std::map<std::pair<double, double>, int> firstAt;
    for (int i = d.pointCount - 1; i >= 0; --i)
        firstAt[{d.points[static_cast<std::size_t>(i)].easting, d.points[static_cast<std::size_t>(i)].northing}] = i;
    std::vector<std::pair<int, int>> pairs;
    for (const CadLine& line : lines)
        pairs.emplace_back(firstAt.at({line.vertices[0].x, line.vertices[0].y}),
                           firstAt.at({line.vertices[1].x, line.vertices[1].y}));
    for (auto _ : state) {
        model.document.breaklines.pairs.clear();
        std::vector<Breakline>& listed = model.document.breaklines.pairs;
        const SurfaceView surface = surfaceOf(d);
        for (const auto& [a, b] : pairs) {
            bool refused = false;
            for (const Breakline& k : listed)
                if ((k.a == a && k.b == b) || (k.a == b && k.b == a) || segmentsCross(surface, a, b, k.a, k.b)) {
                    refused = true;
                    break;
                }
            if (!refused) listed.push_back({a, b});
        }
    }
    state.counters["breaklines"] = model.document.breaklines.count();
}
BENCHMARK(BM_CadLinesBecomeBreaklinesScanningTheList)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

namespace {

// A contour drawing like a national map sheet's, 1 m contours over rolling
// ground with about 12,700 segments (bench/make_contour_dxf.py), opened with
// "Use CAD lines as Breaklines?" answered Yes, its surface built, and then
// every breakline enforced. Per breakline is the enforcement's cost on such a
// drawing; the frames are how the window paces the same work (10 ms a frame).
class AnswersYes : public SilentUi {
public:
    Answer message(const std::string&, MessageKind kind) override {
        return kind == MessageKind::Question ? Answer::Yes : Answer::Ok;
    }
};

std::string contourDrawing() {
    const std::string path = std::filesystem::temp_directory_path() / "vellacor-bench-contours-1m.dxf";
    if (!std::filesystem::exists(path)) {
        const std::string command =
            "/usr/bin/python3 " + std::string(VELLACOR_BENCH_SOURCE) + "/make_contour_dxf.py " + path;
        if (std::system(command.c_str()) != 0) return {};
    }
    return path;
}

// Opens the drawing and builds its surface, the breaklines still waiting.
bool openWithSurface(SiteModel& model, Ui& ui, const std::string& path) {
    if (!importDxf(model, ui, path, false)) return false;
    model.display.surfaceMode = SurfaceMode::Flat;
    model.document.triangulateStage.running = true;
    startTriangulation(model, ui);
    model.work.triangulation.wait();
    adoptFinishedSurfaceWork(model, ui);
    return model.document.triangulateStage.done && !model.document.breaklines.ready();
}

void BM_ContourDrawingBreaklinesAtOnce(benchmark::State& state) {
    const std::string path = contourDrawing();
    AnswersYes ui;
    int count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SiteModel model;
        if (path.empty() || !openWithSurface(model, ui, path)) {
            state.SkipWithError("no contour drawing (bench/make_contour_dxf.py)");
            return;
        }
        count = model.document.breaklines.count();
        state.ResumeTiming();
        insertAllBreaklines(model);
    }
    state.counters["breaklines"] = count;
    // Seconds a breakline: the time over the count.
    state.counters["per_breakline"] =
        benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ContourDrawingBreaklinesAtOnce)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ContourDrawingBreaklinesByFrames(benchmark::State& state) {
    const std::string path = contourDrawing();
    AnswersYes ui;
    int frames = 0;
    double slowest = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        SiteModel model;
        if (path.empty() || !openWithSurface(model, ui, path)) {
            state.SkipWithError("no contour drawing (bench/make_contour_dxf.py)");
            return;
        }
        frames = 0;
        slowest = 0.0;
        state.ResumeTiming();
        while (!model.document.breaklines.ready()) {
            const auto start = std::chrono::steady_clock::now();
            insertBreaklinesStep(model);
            slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            ++frames;
        }
    }
    state.counters["frames"] = frames;
    state.counters["slowest_frame_ms"] = 1000.0 * slowest;
}
BENCHMARK(BM_ContourDrawingBreaklinesByFrames)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
