// Reading a 20 MB DXF drawing of survey points (INSERTs of the block POINT
// with their attributes, as the program writes them) and 3D polylines:
// the reader alone, the whole open as a document, and a count of the file's
// lines as the floor any reader of it stands on.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <unistd.h>

#include "app/document.h"
#include "app/site_model.h"
#include "import/dxf_reader.h"
#include "import/mapped_file.h"
#include "platform/silent_ui.h"

namespace {

constexpr int kPoints = 24000;
constexpr int kPolylines = 1100;
constexpr int kVerticesPerPolyline = 120;

const std::string& drawingFile() {
    static const std::string path = [] {
        std::string p = "/tmp/vellacor-bench-dxf-" + std::to_string(::getpid()) + ".dxf";
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> n(500000, 501000), e(200000, 201000), z(80, 160);
        std::fputs("  0\nSECTION\n  2\nENTITIES\n", f);
        for (int i = 1; i <= kPoints; ++i) {
            const double pe = e(rng), pn = n(rng);
            std::fprintf(f, "  0\nINSERT\n  8\nSurvPnts\n 66\n     1\n  2\nPOINT\n 10\n%.4f\n 20\n%.4f\n 30\n0\n", pe, pn);
            const char* layers[3] = {"ELEV", "PNTS", "DESC"};
            for (const char* layer : layers) {
                std::fprintf(f, "  0\nATTRIB\n  8\n%s\n 10\n%.4f\n 20\n%.4f\n 30\n0\n 40\n0.6\n  1\n", layer, pe + 1, pn);
                if (layer[0] == 'E') std::fprintf(f, "%.3f\n", z(rng));
                if (layer[0] == 'P') std::fprintf(f, "%d\n", i);
                if (layer[0] == 'D') std::fputs("TOPO SHOT\n", f);
                std::fputs("  7\nROMANS\n  2\nTAG\n 70\n     0\n", f);
            }
            std::fputs("  0\nSEQEND\n", f);
        }
        for (int k = 0; k < kPolylines; ++k) {
            std::fputs("  0\nPOLYLINE\n  8\nCont-Mnr\n 66\n  1\n 70\n8\n", f);
            const double level = 80 + k % 80;
            for (int v = 0; v < kVerticesPerPolyline; ++v)
                std::fprintf(f, "  0\nVERTEX\n  8\nCont-Mnr\n 10\n%.6f\n 20\n%.6f\n 30\n%.6f\n", e(rng), n(rng), level);
            std::fputs("  0\nSEQEND\n", f);
        }
        std::fputs("  0\nENDSEC\n  0\nEOF\n", f);
        std::fclose(f);
        return p;
    }();
    return path;
}

double fileMegabytes(benchmark::State& state) {
    vellacor::MappedFile file;
    if (!file.open(drawingFile())) state.SkipWithError("no drawing");
    return static_cast<double>(file.bytes().size()) / 1e6;
}

void BM_CountDxfLines(benchmark::State& state) {
    state.counters["file_MB"] = fileMegabytes(state);
    for (auto _ : state) {
        vellacor::MappedFile file;
        file.open(drawingFile());
        const std::string_view bytes = file.bytes();
        std::size_t lines = 0;
        for (const char* at = bytes.data(), *end = at + bytes.size();
             (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)))); ++at)
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_CountDxfLines)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadDxfDrawing(benchmark::State& state) {
    state.counters["file_MB"] = fileMegabytes(state);
    for (auto _ : state) {
        const std::optional<vellacor::DxfDrawing> drawing = vellacor::readDxfFile(drawingFile(), true).drawing;
        if (!drawing || drawing->points.size() != kPoints || drawing->lines.size() != kPolylines)
            state.SkipWithError("wrong counts");
        benchmark::DoNotOptimize(drawing->lines.data());
    }
}
BENCHMARK(BM_ReadDxfDrawing)->Unit(benchmark::kMillisecond)->Iterations(5);

// The open as the window does it, the breakline question answered No.
void BM_OpenDxfDocument(benchmark::State& state) {
    state.counters["file_MB"] = fileMegabytes(state);
    vellacor::SilentUi ui;
    for (auto _ : state) {
        vellacor::SiteModel model;
        if (vellacor::openDocument(model, ui, drawingFile()) != vellacor::OpenResult::Loaded ||
            model.document.pointCount != kPoints)
            state.SkipWithError("not loaded");
        benchmark::DoNotOptimize(model.document.points.data());
    }
}
BENCHMARK(BM_OpenDxfDocument)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
