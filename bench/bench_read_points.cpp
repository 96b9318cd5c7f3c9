// Reading a 1,000,000-point PNEZD file, and the peak memory it takes
// compared with the point array itself.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "import/point_file.h"
#include "app/site_model.h"

namespace {


// The file goes where VELLACOR_POINT_FILE says, so that pandas_read_csv.py
// can read the same bytes; otherwise to a file of this process's own.
const std::string& millionPointFile() {
    static const std::string path = [] {
        const char* named = std::getenv("VELLACOR_POINT_FILE");
        std::string p = named ? named : "/tmp/vellacor-bench-1m-" + std::to_string(::getpid()) + ".txt";
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> n(500000, 510000), e(200000, 210000), z(80, 160);
        const char* codes[] = {"TOPO", "EP", "TC", "BC", "TW 2.5", "GS"};
        for (int i = 1; i <= 1000000; ++i)
            std::fprintf(f, "%d,%.4f,%.4f,%.3f,%s\r\n", i, n(rng), e(rng), z(rng), codes[i % 6]);
        std::fclose(f);
        return p;
    }();
    return path;
}

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_ReadMillionPointPnezd(benchmark::State& state) {
    const std::string& path = millionPointFile();
    const long before = peakRssKb();
    long arrayBytes = 0;
    for (auto _ : state) {
        vellacor::SiteModel model;
        bool ok = vellacor::readPointFile(model.document, path, vellacor::PointLayout::PNEZD).pointsRead;
        if (!ok || model.document.pointCount != 1000000) state.SkipWithError("wrong point count");
        arrayBytes = static_cast<long>(model.document.points.size() * sizeof(vellacor::SurveyPoint));
        benchmark::DoNotOptimize(model.document.points.data());
    }
    // The first iteration sets the peak; the file generation before it used little memory.
    state.counters["point_array_MB"] = static_cast<double>(arrayBytes) / 1e6;
    state.counters["peak_growth_MB"] = static_cast<double>(peakRssKb() - before) / 1e3;
    state.counters["peak_over_array"] = static_cast<double>((peakRssKb() - before) * 1024) / static_cast<double>(arrayBytes);
}
BENCHMARK(BM_ReadMillionPointPnezd)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
