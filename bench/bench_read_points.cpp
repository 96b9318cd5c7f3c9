// Reading a 1,000,000-point PNEZD file and a 1,000,000-point XYZ file, and
// the peak memory a read takes compared with the point array itself.
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


// The files go where VELLACOR_POINT_FILE and VELLACOR_XYZ_FILE say, so that
// pandas_read_csv.py can read the same bytes; otherwise to files of this
// process's own. Both hold the same random points.
std::string writeMillionPoints(const char* variable, const char* suffix, bool pnezd) {
    const char* named = std::getenv(variable);
    std::string p = named ? named : "/tmp/vellacor-bench-1m-" + std::to_string(::getpid()) + suffix;
    std::FILE* f = std::fopen(p.c_str(), "wb");
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> n(500000, 510000), e(200000, 210000), z(80, 160);
    const char* codes[] = {"TOPO", "EP", "TC", "BC", "TW 2.5", "GS"};
    for (int i = 1; i <= 1000000; ++i) {
        if (pnezd)
            std::fprintf(f, "%d,%.4f,%.4f,%.3f,%s\r\n", i, n(rng), e(rng), z(rng), codes[i % 6]);
        else
            std::fprintf(f, "%.4f,%.4f,%.3f\r\n", e(rng), n(rng), z(rng));
    }
    std::fclose(f);
    return p;
}

const std::string& millionPointFile() {
    static const std::string path = writeMillionPoints("VELLACOR_POINT_FILE", ".txt", true);
    return path;
}

const std::string& millionPointXyzFile() {
    static const std::string path = writeMillionPoints("VELLACOR_XYZ_FILE", ".xyz", false);
    return path;
}

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

template <class Read>
void readMillionPoints(benchmark::State& state, const std::string& path, Read&& read) {
    const long before = peakRssKb();
    long arrayBytes = 0;
    for (auto _ : state) {
        vellacor::SiteModel model;
        bool ok = read(model.document, path).pointsRead;
        if (!ok || model.document.pointCount != 1000000) state.SkipWithError("wrong point count");
        arrayBytes = static_cast<long>(model.document.points.size() * sizeof(vellacor::SurveyPoint));
        benchmark::DoNotOptimize(model.document.points.data());
    }
    // The first iteration sets the peak; the file generation before it used little memory.
    state.counters["point_array_MB"] = static_cast<double>(arrayBytes) / 1e6;
    state.counters["peak_growth_MB"] = static_cast<double>(peakRssKb() - before) / 1e3;
    state.counters["peak_over_array"] = static_cast<double>((peakRssKb() - before) * 1024) / static_cast<double>(arrayBytes);
}

void BM_ReadMillionPointPnezd(benchmark::State& state) {
    readMillionPoints(state, millionPointFile(), [](vellacor::SiteDocument& d, const std::string& path) {
        return vellacor::readPointFile(d, path, vellacor::PointLayout::PNEZD);
    });
}
BENCHMARK(BM_ReadMillionPointPnezd)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadMillionPointXyz(benchmark::State& state) {
    readMillionPoints(state, millionPointXyzFile(), [](vellacor::SiteDocument& d, const std::string& path) {
        return vellacor::readXyzFile(d, path);
    });
}
BENCHMARK(BM_ReadMillionPointXyz)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
