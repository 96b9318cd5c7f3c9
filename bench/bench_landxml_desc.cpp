// Reading a LandXML point whose "desc" is 2 MB long: plain text with a stray
// "&" every few characters (as producers that do not escape it write), and
// text that is nothing but references. Both are read in one pass.
#include <benchmark/benchmark.h>

#include <string>

#include "import/landxml_reader.h"

namespace {

using namespace vellacor;

constexpr std::size_t kDescBytes = 2u << 20;

std::string landXmlWithDesc(const std::string& piece) {
    std::string desc;
    desc.reserve(kDescBytes + piece.size());
    while (desc.size() < kDescBytes) desc += piece;
    return "<LandXML><CgPoints><CgPoint name=\"1\" desc=\"" + desc + "\">100 200 10</CgPoint></CgPoints></LandXML>";
}

void readDesc(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        const LandXmlReadResult r = readLandXmlText(text);
        if (r.surface.points.size() != 1) state.SkipWithError("the point was not read");
        benchmark::DoNotOptimize(r.surface.points.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_LandXmlDescStrayAmpersands(benchmark::State& state) {
    static const std::string text = landXmlWithDesc("AT&T ");
    readDesc(state, text);
}
BENCHMARK(BM_LandXmlDescStrayAmpersands)->Unit(benchmark::kMillisecond);

void BM_LandXmlDescReferences(benchmark::State& state) {
    static const std::string text = landXmlWithDesc("&amp;&#x42;");
    readDesc(state, text);
}
BENCHMARK(BM_LandXmlDescReferences)->Unit(benchmark::kMillisecond);

}  // namespace
