// One full rebuild of the static scene, and one frame that only copies the
// cached scene, for an SRTM-sized surface: a 1201 x 1201 grid thinned to
// every fourth sample (301 x 301 points, 180,000 triangles), flat shaded,
// contours at an interval giving about 40 levels, 1280 x 720.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "model/site_model.h"
#include "render/frame_buffer.h"
#include "render/light.h"
#include "render/scene.h"
#include "surface/tin_geometry.h"

namespace {

using namespace vellacor;

std::unique_ptr<SiteModel> gridSite() {
    auto model = std::make_unique<SiteModel>();
    SiteModel& m = *model;
    constexpr int n = 301;
    constexpr double spacing = 4 * 90.0;  // every fourth 3-arc-second sample, about 90 m apart
    m.points.resize(n * n + 3);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            SurveyPoint& p = m.points[static_cast<std::size_t>(r * n + c)];
            p.easting = c * spacing;
            p.northing = r * spacing;
            p.elevation = 120 + 60 * std::sin(c / 23.0) * std::cos(r / 31.0) + 0.4 * r;
            p.useInSurface = 1;
            p.number = r * n + c;
        }
    m.pointCount = n * n;
    m.triangles.resize(2 * (n - 1) * (n - 1));
    int t = 0;
    auto add = [&](int a, int b, int c) {
        TinTriangle& tri = m.triangles[static_cast<std::size_t>(t++)];
        tri.vertex[0] = a, tri.vertex[1] = b, tri.vertex[2] = c;
    };
    for (int r = 0; r + 1 < n; ++r)
        for (int c = 0; c + 1 < n; ++c) {
            const int a = r * n + c, b = a + 1, d = a + n, e = d + 1;  // counter-clockwise in plan
            add(a, b, e);
            add(a, e, d);
        }
    m.triangleCount = t;
    computeAllGeometry(m);
    computeExtents(m);
    m.pointFileFormat = "HGT";
    m.documentLoaded = true;
    m.triangulateStage.done = true;
    m.contourStage.done = true;
    m.showContours = true;
    m.contourSmoothing = 0.0;
    m.contourInterval = std::ceil((m.maxElevation - m.minElevation) / 40.0);
    m.camera.Reset(m);
    m.camera.OrbitTo(m, kLoadHeading);
    m.light = std::make_unique<Light>();
    updateLight(m);
    resizeFrameBuffer(m, 1280, 720);
    createFrameBitmap(m.frame, m.palette[0]);
    return model;
}

void BM_StaticSceneRebuild(benchmark::State& state) {
    auto model = gridSite();
    OverlayTextList text;
    for (auto _ : state) {
        model->redrawNeeded = true;
        renderFrame(*model, false, text);
        benchmark::DoNotOptimize(model->frame.displayBits.data());
    }
    state.counters["triangles"] = model->triangleCount;
    state.counters["levels"] = (model->maxElevation - model->minElevation) / model->contourInterval;
}
BENCHMARK(BM_StaticSceneRebuild)->Unit(benchmark::kMillisecond);

void BM_CachedSceneFrame(benchmark::State& state) {
    auto model = gridSite();
    OverlayTextList text;
    renderFrame(*model, false, text);
    for (auto _ : state) {
        renderFrame(*model, false, text);
        benchmark::DoNotOptimize(model->frame.displayBits.data());
    }
}
BENCHMARK(BM_CachedSceneFrame)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The two halves of a rebuild, to see where its time goes.
void BM_SurfaceOnly(benchmark::State& state) {
    auto model = gridSite();
    model->showContours = false;
    OverlayTextList text;
    for (auto _ : state) {
        model->redrawNeeded = true;
        renderFrame(*model, false, text);
    }
}
BENCHMARK(BM_SurfaceOnly)->Unit(benchmark::kMillisecond);

void BM_ContoursOnly(benchmark::State& state) {
    auto model = gridSite();
    model->surfaceMode = 0;
    OverlayTextList text;
    for (auto _ : state) {
        model->redrawNeeded = true;
        renderFrame(*model, false, text);
    }
}
BENCHMARK(BM_ContoursOnly)->Unit(benchmark::kMillisecond);

}  // namespace
