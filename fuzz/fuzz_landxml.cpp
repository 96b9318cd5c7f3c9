// Feeds arbitrary bytes to the LandXML reader in memory and checks what it
// makes of them.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "fuzz_check.h"
#include "import/landxml_reader.h"
#include "import/xml_tag_scanner.h"

namespace {

using namespace vellacor;

using fuzzing::check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const LandXmlReadResult r = readLandXmlText(text);
    const SurfaceReadResult& s = r.surface;
    check(r.tagErrors.size() <= 3 && static_cast<std::size_t>(r.tagErrorCount) >= r.tagErrors.size());
    check(s.trianglesMade == !s.triangles.empty());
    check(s.points.size() <= size);
    for (const SurveyPoint& p : s.points) {
        check(isUsableCoordinate(p.northing) && isUsableCoordinate(p.easting) && isUsableCoordinate(p.elevation));
        check(descriptionOf(p).size() <= kDescriptionLength);
        check(p.useInSurface == isValidElevation(p.elevation));
    }
    for (const TinTriangle& t : s.triangles) {
        for (int k = 0; k < 3; ++k) check(t.vertex[k] >= 0 && static_cast<std::size_t>(t.vertex[k]) < s.points.size());
        check(t.vertex[0] != t.vertex[1] && t.vertex[1] != t.vertex[2] && t.vertex[0] != t.vertex[2]);
    }
    for (const auto& line : s.breaklines) check(line.size() <= kMostBreaklineVertices);
    // Decoding never makes text longer than it was.
    check(decodeXmlText(text).size() <= size);
    return 0;
}
