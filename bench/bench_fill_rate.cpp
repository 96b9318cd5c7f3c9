// Fill rate: a 1920 x 1080 frame covered by about 200,000 small triangles,
// clipped, depth-tested and filled flat and Gouraud.
#include <benchmark/benchmark.h>

#include <vector>

#include "render/fill.h"
#include "render/frame_projection.h"

namespace vellacor {
namespace {

constexpr int kColumns = 400, kRows = 250;  // 100,000 quads, 200,000 triangles

// A tilted sheet that fills the view: screen positions spread over the frame,
// depth growing from the bottom of the picture to the top.
struct GridScene {
    FrameBuffer frame;
    std::vector<ClipVertex> vertices;  // (kColumns + 1) x (kRows + 1), camera space

    GridScene() {
        resizeFrameBuffer(frame, 1920, 1080, Palette{});
        const FrameBuffer& f = frame;
        for (int r = 0; r <= kRows; ++r)
            for (int c = 0; c <= kColumns; ++c) {
                const double sx = c * (2.0 * f.halfWidth) / kColumns, sy = r * (2.0 * f.halfHeight) / kRows;
                const double w = -1.0 / (1.0 + 2.0 * (kRows - r) / kRows);
                const Vec3 p = unproject(f, sx, sy, w);
                vertices.push_back({p.x, p.y, p.z, 16.0 + 213.0 * c / kColumns, 0, 0});
            }
    }
};

GridScene& scene() {
    static GridScene s;
    return s;
}

void fillFrame(benchmark::State& state, FillMode mode) {
    GridScene& g = scene();
    FrameBuffer& f = g.frame;
    const RasterTarget target = sceneTarget(f);
    auto at = [&](int c, int r) { return g.vertices[static_cast<std::size_t>(r * (kColumns + 1) + c)]; };
    ClipPolygon lower, upper;  // scratch reused for every triangle, as the surface layer does
    for (auto _ : state) {
        clearSceneBuffers(f);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c) {
                lower[0] = at(c, r), lower[1] = at(c, r + 1), lower[2] = at(c + 1, r + 1);
                upper[0] = at(c, r), upper[1] = at(c + 1, r + 1), upper[2] = at(c + 1, r);
                drawPolygon(f, target, mode, lower, 3, 120);
                drawPolygon(f, target, mode, upper, 3, 121);
            }
        benchmark::DoNotOptimize(f.sceneBuffer.data());
    }
    state.counters["triangles"] = 2.0 * kColumns * kRows;
}

void BM_FillFrameFlat(benchmark::State& state) { fillFrame(state, FillMode::Flat); }
void BM_FillFrameGouraud(benchmark::State& state) { fillFrame(state, FillMode::Gouraud); }
BENCHMARK(BM_FillFrameFlat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillFrameGouraud)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellacor
