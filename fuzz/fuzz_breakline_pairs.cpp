// Feeds arbitrary bytes as a breakline pairs file to a built site, as
// --add-breaklines reads one, and checks the surface stays whole.
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "app/breakline_pairs.h"
#include "site_fixture.h"

namespace {

using namespace vellacor;

using fuzzing::check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SiteModel site;
    fuzzing::loadFixtureSite(site);
    const int before = site.document.triangleCount;
    const BreaklinePairsResult r = addBreaklinePairs(site, std::string_view(reinterpret_cast<const char*>(data), size));
    check(r.accepted >= 0 && r.refused >= 0 && r.problems.size() <= size);
    check(site.document.breaklines.count() >= r.accepted);
    // Forcing an edge flips triangles; it never adds or loses one.
    check(site.document.triangleCount == before);
    const SiteDocument& d = site.document;
    for (int t = 0; t < d.triangleCount; ++t)
        for (const int v : d.triangles[static_cast<std::size_t>(t)].vertex) check(v >= 0 && v < d.pointCount);
    return 0;
}
