// One full rebuild of the static scene (its contours drawn from the lines
// traced by an earlier frame), the first one after a change (tracing them),
// and one frame that only copies the cached scene, for an SRTM-sized surface: a 1201 x 1201 grid thinned to
// every fourth sample (301 x 301 points, 180,000 triangles), flat shaded,
// contours at an interval giving about 40 levels, 1280 x 720.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/document.h"
#include "app/frame_cycle.h"
#include "app/orbit_drag.h"
#include "app/pipeline.h"
#include "app/site_model.h"
#include "app/navigation.h"
#include "app/render_frame.h"
#include "app/view_settings.h"
#include "render/frame_buffer.h"
#include "platform/silent_ui.h"
#include "render/light.h"
#include "surface/tin_geometry.h"

namespace {

using namespace vellacor;

constexpr int n = 301;
constexpr double spacing = 4 * 90.0;  // every fourth 3-arc-second sample, about 90 m apart

double syntheticHeight(int r, int c) { return 120 + 60 * std::sin(c / 23.0) * std::cos(r / 31.0) + 0.4 * r; }

// Every fourth sample of the real SRTM tile beside the project, when it is there.
std::vector<double> srtmHeights() {
    std::vector<double> heights;
    std::FILE* f = std::fopen(VELLACOR_BENCH_DATA "/hgt/N57E011.hgt", "rb");
    if (!f) return heights;
    std::vector<unsigned char> raw(1201 * 1201 * 2);
    const bool ok = std::fread(raw.data(), 1, raw.size(), f) == raw.size();
    std::fclose(f);
    if (!ok) return heights;
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const std::size_t i = (static_cast<std::size_t>(1200 - 4 * r) * 1201 + static_cast<std::size_t>(4 * c)) * 2;
            heights.push_back(static_cast<std::int16_t>((raw[i] << 8) | raw[i + 1]));
        }
    return heights;
}

std::unique_ptr<SiteModel> gridSite(const std::vector<double>& heights = {}) {
    auto model = std::make_unique<SiteModel>();
    SiteModel& m = *model;
    m.document.points.resize(n * n + 3);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            SurveyPoint& p = m.document.points[static_cast<std::size_t>(r * n + c)];
            p.easting = c * spacing;
            p.northing = r * spacing;
            p.elevation = heights.empty() ? syntheticHeight(r, c) : heights[static_cast<std::size_t>(r * n + c)];
            p.useInSurface = true;
            p.number = r * n + c;
        }
    m.document.pointCount = n * n;
    m.document.triangles.resize(2 * (n - 1) * (n - 1));
    int t = 0;
    auto add = [&](int a, int b, int c) {
        TinTriangle& tri = m.document.triangles[static_cast<std::size_t>(t++)];
        tri.vertex[0] = a, tri.vertex[1] = b, tri.vertex[2] = c;
    };
    for (int r = 0; r + 1 < n; ++r)
        for (int c = 0; c + 1 < n; ++c) {
            const int a = r * n + c, b = a + 1, d = a + n, e = d + 1;  // counter-clockwise in plan
            add(a, b, e);
            add(a, e, d);
        }
    m.document.triangleCount = t;
    computeExtents(m.document);
    m.document.pointFileFormat = PointFileFormat::Hgt;
    m.document.documentLoaded = true;
    m.document.triangulateStage.done = true;
    m.document.contourStage.done = true;
    m.display.showContours = true;
    m.document.contours.contourSmoothing = 0.0;
    m.document.contours.contourInterval = std::ceil((m.document.maxElevation - m.document.minElevation) / 40.0);
    m.camera.Reset();
    m.renderer.redrawNeeded = true;
    m.camera.OrbitTo(siteFrameOf(m.document), m.display.verticalScale, kLoadHeading);
    m.renderer.light = std::make_unique<Light>();
    updateLight(m);
    resizeFrameBuffer(m, 1280, 720);
    createFrameBitmap(m.renderer.frame, m.renderer.palette[0]);
    return model;
}

void BM_StaticSceneRebuild(benchmark::State& state) {
    auto model = gridSite();
    OverlayTextList text;
    for (auto _ : state) {
        model->renderer.redrawNeeded = true;
        renderFrame(*model, false, text);
        benchmark::DoNotOptimize(model->renderer.frame.displayBits.data());
    }
    state.counters["triangles"] = model->document.triangleCount;
    state.counters["levels"] = (model->document.maxElevation - model->document.minElevation) / model->document.contours.contourInterval;
}
BENCHMARK(BM_StaticSceneRebuild)->Unit(benchmark::kMillisecond);

// The first rebuild after the surface or the contour settings change: the
// contours are traced (and kept for the frames after it).
void BM_StaticSceneRebuildTracingContours(benchmark::State& state) {
    auto model = gridSite();
    OverlayTextList text;
    for (auto _ : state) {
        forgetContourLines(model->renderer.contourLines);
        model->renderer.redrawNeeded = true;
        renderFrame(*model, false, text);
        benchmark::DoNotOptimize(model->renderer.frame.displayBits.data());
    }
}
BENCHMARK(BM_StaticSceneRebuildTracingContours)->Unit(benchmark::kMillisecond);

// The same rebuild over the real coastal tile (mostly sea at 0 m, land to 163 m).
void BM_StaticSceneRebuildRealTile(benchmark::State& state) {
    const std::vector<double> heights = srtmHeights();
    if (heights.empty()) {
        state.SkipWithError("the SRTM tile is not beside the project");
        return;
    }
    auto model = gridSite(heights);
    OverlayTextList text;
    for (auto _ : state) {
        model->renderer.redrawNeeded = true;
        renderFrame(*model, false, text);
        benchmark::DoNotOptimize(model->renderer.frame.displayBits.data());
    }
    state.counters["levels"] = (model->document.maxElevation - model->document.minElevation) / model->document.contours.contourInterval;
}
BENCHMARK(BM_StaticSceneRebuildRealTile)->Unit(benchmark::kMillisecond);

void BM_CachedSceneFrame(benchmark::State& state) {
    auto model = gridSite();
    OverlayTextList text;
    renderFrame(*model, false, text);
    for (auto _ : state) {
        renderFrame(*model, false, text);
        benchmark::DoNotOptimize(model->renderer.frame.displayBits.data());
    }
}
BENCHMARK(BM_CachedSceneFrame)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The two halves of a rebuild, to see where its time goes.
void BM_SurfaceOnly(benchmark::State& state) {
    auto model = gridSite();
    model->display.showContours = false;
    OverlayTextList text;
    for (auto _ : state) {
        model->renderer.redrawNeeded = true;
        renderFrame(*model, false, text);
    }
}
BENCHMARK(BM_SurfaceOnly)->Unit(benchmark::kMillisecond);

void BM_ContoursOnly(benchmark::State& state) {
    auto model = gridSite();
    model->display.surfaceMode = SurfaceMode::Off;
    OverlayTextList text;
    for (auto _ : state) {
        model->renderer.redrawNeeded = true;
        renderFrame(*model, false, text);
    }
}
BENCHMARK(BM_ContoursOnly)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A frame while the user orbits with the left button: every mouse move
// invalidates the cached scene, and the frame draws the moving picture with
// the axis marker over it.
void BM_OrbitingFrame(benchmark::State& state) {
    auto model = gridSite();
    model->renderer.axisMarkerShown = true;
    OverlayTextList text;
    renderFrame(*model, false, text);
    moveMouse(*model, {640, 360});
    pressLeftButton(*model);
    int x = 640, step = 4;
    for (auto _ : state) {
        if (x > 900 || x < 400) step = -step;
        x += step;
        moveMouse(*model, {x, 360});
        renderFrame(*model, true, text);
        benchmark::DoNotOptimize(model->renderer.frame.displayBits.data());
    }
}
BENCHMARK(BM_OrbitingFrame)->Unit(benchmark::kMillisecond);

// The ground under the cursor: one depth read and one 4 x 4 inverse; runs on
// every mouse move.
void BM_GroundPick(benchmark::State& state) {
    auto model = gridSite();
    OverlayTextList text;
    renderFrame(*model, false, text);
    // The drawn pixel nearest the end of the depth buffer: somewhere on the site.
    const FrameBuffer& f = model->renderer.frame;
    std::size_t i = f.depthBuffer.size();
    while (i > 0 && f.depthBuffer[i - 1] == 0.0) --i;
    if (i == 0) {
        state.SkipWithError("nothing drawn");
        return;
    }
    const int width = f.viewWidth;
    const Pixel centre{static_cast<int>((i - 1) % static_cast<std::size_t>(width)),
                       static_cast<int>((i - 1) / static_cast<std::size_t>(width))};
    for (auto _ : state) {
        std::optional<Vec3> ground = groundAt(*model, centre);
        benchmark::DoNotOptimize(ground);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GroundPick)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// The orbit a user sees, through the program's own frame path: the file
// opened and built as `vellacor-cli render FILE --contours` does it (default
// view, default contour interval and smoothing, status text, conversion to
// colour), then each iteration one frame of a left-button orbit, a degree of
// heading, exactly as `render --frames` draws it. Its time per frame is the
// command's.
std::unique_ptr<SiteModel> openedForOrbit(const std::string& path, const std::string& format) {
    auto model = std::make_unique<SiteModel>();
    SilentUi ui;
    if (openDocument(*model, ui, path, format) != OpenResult::Loaded) return nullptr;
    model->display.showContours = true;
    runPipelineToCompletion(*model, ui);
    return model;
}

void orbitFrames(benchmark::State& state, SiteModel* model) {
    if (!model) {
        state.SkipWithError("the file could not be opened");
        return;
    }
    SilentUi ui;
    RgbImage picture;
    model->cycle.frameSeconds = 0.0;
    paintFrame(*model, ui, 1280, 720, picture);
    beginOrbitDrag(*model);
    for (auto _ : state) {
        paintOrbitFrame(*model, ui, 1280, 720, picture);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
    endOrbitDrag(*model);
    state.counters["triangles"] = model->document.triangleCount;
}

// 100,000 uniform random points over a 1000 m square, written as XYZ text.
std::string randomPointsFile() {
    const std::string path = (std::filesystem::temp_directory_path() / "vellacor-bench-100k.xyz").string();
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return path;
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1000.0);
    for (int i = 0; i < 100000; ++i) {
        const double x = unit(random), y = unit(random);
        std::fprintf(out, "%.3f %.3f %.3f\n", x, y, 100 + 20 * std::sin(x / 90) * std::cos(y / 70) + 0.0005 * unit(random));
    }
    std::fclose(out);
    return path;
}

void BM_ProgramOrbitFrame_Random100k(benchmark::State& state) {
    const std::string path = randomPointsFile();
    auto model = openedForOrbit(path, "XYZ");
    orbitFrames(state, model.get());
    std::filesystem::remove(path);
}
BENCHMARK(BM_ProgramOrbitFrame_Random100k)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProgramOrbitFrame_RealTile(benchmark::State& state) {
    auto model = openedForOrbit(VELLACOR_BENCH_DATA "/hgt/N57E011.hgt", "HGT");
    orbitFrames(state, model.get());
}
BENCHMARK(BM_ProgramOrbitFrame_RealTile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
