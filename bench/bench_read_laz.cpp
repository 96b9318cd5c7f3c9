// Decoding LAZ point clouds: the 500,000 points of bench/data in point
// format 1 (point-wise compression) and format 6 (layered), every chunk on
// both cores as the reader does it, in points per second; and the whole read
// of the same points from an uncompressed LAS file, made from the decoded
// records, for comparison.
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "import/las_file.h"
#include "import/laz_file.h"

namespace {

using namespace vellacor;

std::string fileBytes(const std::string& name) {
    std::ifstream in(std::string(VELLACOR_BENCH_SOURCE) + "/data/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

template <typename T>
T little(const std::string& bytes, std::size_t at) {
    T value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

LazPointData pointDataOf(const std::string& bytes) {
    LazPointData data;
    data.firstRecord = little<std::uint32_t>(bytes, 96);
    data.countedRecords = little<std::uint32_t>(bytes, 107);
    if (bytes[25] >= 4 && little<std::uint64_t>(bytes, 247) > 0) data.countedRecords = little<std::uint64_t>(bytes, 247);
    data.end = bytes.size();
    return data;
}

void decodeLaz(benchmark::State& state, const char* name) {
    const std::string bytes = fileBytes(name);
    const LazSchemeRead scheme = readLazScheme(bytes);
    if (!scheme.refusal.empty()) {
        state.SkipWithError(scheme.refusal.c_str());
        return;
    }
    const LazPointData data = pointDataOf(bytes);
    for (auto _ : state) {
        const LazDecodeResult result = decodeLazPoints(bytes, scheme.scheme, data);
        if (result.points != data.countedRecords) state.SkipWithError("not every point was decoded");
        benchmark::DoNotOptimize(result.chunks.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(data.countedRecords));
}

void readWholeLaz(benchmark::State& state, const char* name) {
    const std::string bytes = fileBytes(name);
    for (auto _ : state) {
        const LasReadResult result = readLasBytes(bytes, {});
        benchmark::DoNotOptimize(result.read.points.data());
    }
    state.SetItemsProcessed(state.iterations() * 500000);
}

BENCHMARK_CAPTURE(decodeLaz, format1, "lidar-500k-format1.laz")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decodeLaz, format6, "lidar-500k-format6.laz")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(readWholeLaz, format1, "lidar-500k-format1.laz")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(readWholeLaz, format6, "lidar-500k-format6.laz")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
