// The coarser versions drawn while the view moves, on uniform random points
// of 1M, 10M and 50M: the surface's build (triangulation and links, as the
// pipeline runs them) and then the versions' build, each timed, with the
// memory the versions hold beside the surface's own; and a moving frame
// (1280 x 720, the whole site in view) against a still one.
#include <benchmark/benchmark.h>

#include <chrono>

#include "app/render_frame.h"
#include "camera/camera_inputs.h"
#include "app/view_settings.h"
#include "render/frame_buffer.h"
#include "render/palette.h"
#include "surface/detail_levels.h"
#include "surface_bench_support.h"

namespace {

using namespace vellacor;
using namespace vellacor::bench;

double seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

struct BuiltSite {
    SiteModel model;
    double surfaceSeconds = 0.0;
};

BuiltSite& siteOf(int count) {
    static int builtFor = 0;
    static BuiltSite* site = nullptr;
    if (builtFor != count) {
        delete site;  // one at a time: 50M points take much of the memory
        site = new BuiltSite;
        SilentUi ui;
        loadPoints(site->model, uniformPoints(count));
        site->surfaceSeconds = buildLoadedSurface(site->model, ui);
        builtFor = count;
    }
    return *site;
}

void BM_DetailLevels(benchmark::State& state) {
    BuiltSite& site = siteOf(static_cast<int>(state.range(0)));
    const SurfaceView surface = surfaceOf(site.model.document);
    std::atomic<bool> cancelled{false};
    std::atomic<double> progress{0.0};
    DetailSurface detail;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        buildDetailSurface(surface, detail, JobControl(cancelled, progress));
        state.SetIterationTime(seconds(start));
    }
    const double surfaceBytes = static_cast<double>(site.model.document.points.capacity() * sizeof(SurveyPoint) +
                                                    site.model.document.triangles.capacity() * sizeof(TinTriangle));
    state.counters["surface_build_s"] = site.surfaceSeconds;
    state.counters["levels"] = static_cast<double>(detail.levels.size());
    state.counters["memory_share"] = static_cast<double>(detail.bytes()) / surfaceBytes;
}

// One frame rebuilt, moving (the coarser versions) or still (the whole
// surface); a still one can place the points as the triangles ask, as a
// site too big to keep every point's placement does.
void frames(benchmark::State& state, bool moving, bool placedOnDemand = false) {
    BuiltSite& site = siteOf(static_cast<int>(state.range(0)));
    SiteModel& model = site.model;
    RendererState& r = model.renderer;
    if (!r.detail) {
        std::atomic<bool> cancelled{false};
        std::atomic<double> progress{0.0};
        auto detail = std::make_shared<DetailSurface>();
        buildDetailSurface(surfaceOf(model.document), *detail, JobControl(cancelled, progress));
        r.detail = detail;
        r.detailMade = true;
        resizeFrameBuffer(model, 1280, 720);
        createFrameBitmap(r.frame, r.palette[0]);
        // The camera as a load leaves it: the whole site in view, looking north.
        model.camera.Reset();
        model.camera.target = {model.document.siteCentre.x, model.document.siteCentre.y, model.document.maxElevation};
        model.camera.OrbitTo(siteFrameOf(model.document), model.display.verticalScale, kLoadHeading);
    }
    r.mostPlacedPoints = placedOnDemand ? 0 : kMostPlacedPoints;
    OverlayTextList text;
    for (auto _ : state) {
        r.redrawNeeded = true;
        renderFrame(model, moving, text);
        text.clear();
    }
    state.counters["triangles"] =
        static_cast<double>(r.drawingDetail ? r.detailFrame.triangles.size() : model.document.triangleCount);
    if (!moving) return;
    // How the moving frame differs from the still one: the share of the
    // picture's pixels, and of those showing ground, more than one palette step apart.
    const std::vector<std::uint8_t> seen = r.frame.displayBits;
    r.redrawNeeded = true;
    renderFrame(model, false, text);
    double differing = 0, ground = 0;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const int a = r.frame.displayBits[i], b = seen[i];
        ground += a != kBackgroundColour ? 1 : 0;
        differing += std::abs(a - b) > 1 ? 1 : 0;
    }
    state.counters["differing_share"] = differing / static_cast<double>(seen.size());
    state.counters["differing_share_of_ground"] = ground > 0 ? differing / ground : 0.0;
}

void BM_MovingFrame(benchmark::State& state) { frames(state, true); }
void BM_StillFrame(benchmark::State& state) { frames(state, false); }
void BM_StillFramePlacedOnDemand(benchmark::State& state) { frames(state, false, true); }

BENCHMARK(BM_DetailLevels)->Arg(1'000'000)->Arg(10'000'000)->Arg(50'000'000)->UseManualTime()->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovingFrame)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StillFrame)->Arg(1'000'000)->Arg(10'000'000)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StillFramePlacedOnDemand)->Arg(1'000'000)->Arg(10'000'000)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
