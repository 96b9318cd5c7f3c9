// The grade-break shading stage on a 200,000-triangle surface: copy of the
// surface, vertex normals on the worker, adoption into the renderer. Also
// the per-frame smooth shading of the same surface.
#include <benchmark/benchmark.h>

#include <cmath>
#include <thread>

#include "camera/vector_math.h"
#include "app/shading_stage.h"
#include "app/site_model.h"
#include "render/light.h"
#include "render/shading.h"
#include "render/vertex_normals.h"

namespace vellacor {
namespace {

constexpr int kSide = 317;  // 317 x 317 points, 2 * 316 * 316 = 199,712 triangles

void makeSurface(SiteModel& m) {
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            SurveyPoint p;
            p.easting = x;
            p.northing = y;
            p.elevation = 100 + 10 * std::sin(x * 0.05) * std::cos(y * 0.07) + ((x * 7 + y * 13) % 5) * 0.1;
            m.document.points.push_back(p);
        }
    m.document.pointCount = kSide * kSide;
    for (int y = 0; y + 1 < kSide; ++y)
        for (int x = 0; x + 1 < kSide; ++x) {
            const int a = y * kSide + x, b = a + 1, c = a + kSide, d = c + 1;
            for (const auto& v : {std::array<int, 3>{a, b, d}, std::array<int, 3>{a, d, c}}) {
                TinTriangle t;
                for (int k = 0; k < 3; ++k) t.vertex[k] = v[static_cast<std::size_t>(k)];
                m.document.triangles.push_back(t);
            }
        }
    m.document.triangleCount = static_cast<int>(m.document.triangles.size());
    m.document.siteCentre = {158, 158, 100};
    m.document.siteSize = 316;
}

// Starts the stage and adopts its result once the worker is done.
void runShadingStage(SiteModel& m) {
    startShadingWorker(m);
    while (!m.work.shading.finished()) std::this_thread::yield();
    adoptShadingResult(m);
}

void BM_ShadingStage(benchmark::State& state) {
    SiteModel m;
    makeSurface(m);
    m.display.gradeBreakAngle = 30.0;
    for (auto _ : state) {
        m.document.shadingStage.done = false;
        runShadingStage(m);
        if (!m.document.shadingStage.done) state.SkipWithError("stage did not finish");
    }
    state.counters["triangles"] = m.document.triangleCount;
}
BENCHMARK(BM_ShadingStage)->Unit(benchmark::kMillisecond);

void BM_SmoothShadeFrame(benchmark::State& state) {
    SiteModel m;
    makeSurface(m);
    m.display.gradeBreakAngle = 30.0;
    runShadingStage(m);
    m.renderer.light = std::make_unique<Light>();
    m.camera.eye = {-100, -100, 300};
    m.renderer.light->position = m.camera.eye;
    for (auto _ : state) smoothShade(*m.renderer.light, m.camera.eye, surfaceOf(m.document), m.renderer.shades);
    state.counters["triangles"] = m.document.triangleCount;
}
BENCHMARK(BM_SmoothShadeFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellacor
