// The rain's frame (Step, AdaptCount and Draw of 100,000 drops on a surface
// of about 200,000 triangles at 1280 x 720, on one core) and the filling of
// every pond of a 1,000,000-point surface to its spill point.
#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "app/navigation.h"
#include "app/render_frame.h"
#include "app/site_model.h"
#include "app/view_settings.h"
#include "render/light.h"
#include "surface/neighbour_links.h"
#include "surface/tin_geometry.h"
#include "water/pond_report.h"
#include "water/rain_system.h"

namespace {

using namespace vellacor;

// A linked n x n grid surface of rolling ground with hollows in it.
std::unique_ptr<SiteModel> gridSite(int n, double spacing) {
    auto model = std::make_unique<SiteModel>();
    SiteModel& m = *model;
    SiteDocument& d = m.document;
    d.points.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(n) + 3);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            SurveyPoint& p = d.points[static_cast<std::size_t>(r) * static_cast<std::size_t>(n) + static_cast<std::size_t>(c)];
            p.easting = c * spacing;
            p.northing = r * spacing;
            p.elevation = 120 + 6 * std::sin(c / 23.0) * std::cos(r / 31.0) + 0.01 * r;
            p.useInSurface = true;
            p.number = r * n + c;
        }
    d.pointCount = n * n;
    d.triangles.resize(2 * static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(n - 1));
    std::size_t t = 0;
    for (int r = 0; r + 1 < n; ++r)
        for (int c = 0; c + 1 < n; ++c) {
            const int a = r * n + c, b = a + 1, e = a + n + 1, f = a + n;  // counter-clockwise in plan
            for (const auto& v : {std::array<int, 3>{a, b, e}, std::array<int, 3>{a, e, f}}) {
                TinTriangle& tri = d.triangles[t++];
                for (int k = 0; k < 3; ++k) tri.vertex[k] = v[static_cast<std::size_t>(k)];
            }
        }
    d.triangleCount = static_cast<int>(t);
    std::vector<std::int32_t> links;
    std::vector<HullEdge> hull;
    linkNeighbours(d.triangles.data(), d.triangleCount, links, hull, [](double) { return true; });
    for (std::size_t i = 0; i < t; ++i)
        for (std::size_t k = 0; k < 3; ++k) d.triangles[i].neighbour[k] = links[3 * i + k];
    computeExtents(d);
    d.documentLoaded = true;
    d.triangulateStage.done = true;
    d.contourStage.done = true;
    return model;
}

SurfaceView surfaceOfModel(const SiteModel& m) {
    return {m.document.points, m.document.pointCount, m.document.triangles, m.document.triangleCount, {}};
}

// A site under 100,000 drops, the scene drawn under them, after 40 seconds
// of rain: most drops have landed and run downhill, crossing triangles, as
// they do for as long as the rain goes on.
struct RainBench {
    std::unique_ptr<SiteModel> model = gridSite(317, 2.0);  // 199,712 triangles
    RainGround ground;
    RainSystem rain{1};

    RainBench() {
        SiteModel& m = *model;
        m.camera.Reset();
        m.camera.OrbitTo(siteFrameOf(m.document), m.display.verticalScale, kLoadHeading);
        m.renderer.light = std::make_unique<Light>();
        updateLight(m);
        resizeFrameBuffer(m, 1280, 720);
        createFrameBitmap(m.renderer.frame, m.renderer.palette[0]);
        m.renderer.redrawNeeded = true;
        OverlayTextList text;
        renderFrame(m, false, text);  // the scene and its depth, under the rain
        ground = {surfaceOfModel(m), m.document.siteCentre, m.document.siteSize};
        rain.SetSpawnMode(SpawnMode::Scatter, ground);
        while (rain.ActiveCount() < RainSystem::kMostDrops) rain.AdaptCount(0.001, ground);
        for (int i = 0; i < 40 * 30; ++i) rain.Step(ground, 1.0 / 30.0, {});
    }
};

void BM_RainFrame100kDrops(benchmark::State& state) {
    RainBench bench;
    FrameBuffer& frame = bench.model->renderer.frame;
    for (auto _ : state) {
        copySceneToDisplay(frame);
        bench.rain.Step(bench.ground, 1.0 / 30.0, {}, std::nullopt, {&bench.model->camera.view, &frame});
        bench.rain.AdaptCount(1.0 / 30.0, bench.ground);
        bench.rain.Draw(frame, bench.model->camera.view);
        benchmark::DoNotOptimize(frame.displayBits.data());
    }
    state.counters["drops"] = bench.rain.ActiveCount();
    state.counters["triangles"] = bench.model->document.triangleCount;
}
BENCHMARK(BM_RainFrame100kDrops)->Unit(benchmark::kMillisecond);

// Its parts. The step also finds where each drop shows, as it does in the program.
void BM_RainStepOnly(benchmark::State& state) {
    RainBench bench;
    const RainSight sight{&bench.model->camera.view, &bench.model->renderer.frame};
    for (auto _ : state) bench.rain.Step(bench.ground, 1.0 / 30.0, {}, std::nullopt, sight);
}
BENCHMARK(BM_RainStepOnly)->Unit(benchmark::kMillisecond);

void BM_RainDrawOnly(benchmark::State& state) {
    RainBench bench;
    FrameBuffer& frame = bench.model->renderer.frame;
    // Drawn, as in every frame, from the places the step found.
    bench.rain.Step(bench.ground, 1.0 / 30.0, {}, std::nullopt, {&bench.model->camera.view, &frame});
    for (auto _ : state) {
        copySceneToDisplay(frame);
        bench.rain.Draw(frame, bench.model->camera.view);
        benchmark::DoNotOptimize(frame.displayBits.data());
    }
}
BENCHMARK(BM_RainDrawOnly)->Unit(benchmark::kMillisecond);

void BM_PondsToSpill1MPoints(benchmark::State& state) {
    auto model = gridSite(1000, 1.0);
    const SurfaceView surface = surfaceOfModel(*model);
    std::size_t ponds = 0;
    for (auto _ : state) {
        const std::vector<StandingPond> result = fillPondsToSpill(surface);
        ponds = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["ponds"] = static_cast<double>(ponds);
    state.counters["triangles"] = model->document.triangleCount;
}
BENCHMARK(BM_PondsToSpill1MPoints)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
