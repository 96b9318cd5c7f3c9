// Opening files that bring their own surface: a real SRTM tile (1,442,401
// samples, 180,000 thinned triangles) and a 20 MB LandXML surface of 100,000
// points and 200,000 faces (written as real producers write them), each as the reader alone and as the whole open.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <random>
#include <string>

#include "app/document.h"
#include "app/site_model.h"
#include "import/hgt_file.h"
#include "import/landxml_reader.h"
#include "platform/silent_ui.h"

namespace {

using namespace vellacor;

const std::string kTile = VELLACOR_BENCH_DATA "/hgt/N57E011.hgt";

// A 318 x 318 grid of jittered points, two faces a cell up to 200,000.
const std::string& landXmlSurface() {
    static const std::string path = [] {
        const std::string p = "/tmp/vellacor-bench-surface-" + std::to_string(::getpid()) + ".xml";
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> jitter(-0.4, 0.4), z(80, 160);
        constexpr int side = 318;  // 101,124 points; the faces stop at 200,000
        std::fputs(
            "<?xml version=\"1.0\"?>\n<LandXML version=\"1.2\">\n<Surfaces><Surface name=\"bench\">\n"
            "<Definition surfType=\"TIN\">\n<Pnts>\n",
            f);
        for (int r = 0; r < side; ++r)
            for (int c = 0; c < side; ++c)
                std::fprintf(f, "\t\t\t\t\t<P id=\"%d\">%.16f %.16f %.16f</P>\n", r * side + c + 1,
                             5400000.0 + r * 2 + jitter(rng), 300000.0 + c * 2 + jitter(rng), z(rng));
        std::fputs("</Pnts>\n<Faces>\n", f);
        int faces = 0;
        for (int r = 0; r + 1 < side && faces < 200000; ++r)
            for (int c = 0; c + 1 < side && faces < 200000; ++c, faces += 2) {
                const int a = r * side + c + 1;
                // Neighbour lists as real producers write them (not read).
                std::fprintf(f, "\t\t\t\t\t<F n=\"%d %d %d\">%d %d %d</F>\n\t\t\t\t\t<F n=\"%d %d %d\">%d %d %d</F>\n",
                             faces + 2, faces + 3, faces + 4, a, a + 1, a + side + 1, faces + 1, faces + 5, faces + 6,
                             a, a + side + 1, a + side);
            }
        std::fputs("</Faces>\n</Definition>\n</Surface></Surfaces>\n</LandXML>\n", f);
        std::fclose(f);
        return p;
    }();
    return path;
}

void BM_ReadSrtmTile(benchmark::State& state) {
    for (auto _ : state) {
        const SurfaceReadResult r = readHgtFile(kTile);
        if (r.points.size() != 1442401 || r.triangles.size() != 180000) state.SkipWithError("not the real tile");
        benchmark::DoNotOptimize(r.points.data());
    }
}
BENCHMARK(BM_ReadSrtmTile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_OpenSrtmTile(benchmark::State& state) {
    SilentUi ui;
    for (auto _ : state) {
        SiteModel model;
        if (openDocument(model, ui, kTile) != OpenResult::Loaded) state.SkipWithError("not loaded");
        benchmark::DoNotOptimize(model.document.points.data());
    }
}
BENCHMARK(BM_OpenSrtmTile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadLandXmlSurface(benchmark::State& state) {
    const std::string& path = landXmlSurface();
    for (auto _ : state) {
        const std::optional<LandXmlReadResult> r = readLandXmlFile(path);
        if (!r || r->surface.points.size() < 100000 || r->surface.triangles.size() != 200000)
            state.SkipWithError("wrong counts");
        benchmark::DoNotOptimize(r->surface.points.data());
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    state.counters["file_MB"] = static_cast<double>(std::ftell(f)) / 1e6;
    std::fclose(f);
}
BENCHMARK(BM_ReadLandXmlSurface)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_OpenLandXmlSurface(benchmark::State& state) {
    const std::string& path = landXmlSurface();
    SilentUi ui;
    for (auto _ : state) {
        SiteModel model;
        if (openDocument(model, ui, path) != OpenResult::Loaded || model.document.triangleCount != 200000)
            state.SkipWithError("not loaded");
        benchmark::DoNotOptimize(model.document.points.data());
    }
}
BENCHMARK(BM_OpenLandXmlSurface)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
