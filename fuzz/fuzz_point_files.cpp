// Feeds arbitrary bytes to the survey point readers (PNEZD, PENZD, XYZ) in
// memory, and checks what they accept.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "export/xml_text.h"
#include "import/point_file.h"
#include "model/utf8_text.h"

namespace {

using namespace vellacor;

using fuzzing::check;

void checkResult(const PointReadResult& r, std::size_t spare, std::size_t size) {
    check(r.pointCount >= 0);
    check(r.points.size() == (r.pointCount > 0 ? static_cast<std::size_t>(r.pointCount) + spare : 0));
    check((r.skipped.count > 0) == (r.skipped.firstLine > 0));
    check(r.skipped.firstText.size() <= 63);
    check(static_cast<std::size_t>(r.pointCount) + static_cast<std::size_t>(r.skipped.count) <= size);
    for (int i = 0; i < r.pointCount; ++i) {
        const SurveyPoint& p = r.points[static_cast<std::size_t>(i)];
        check(isUsableCoordinate(p.northing) && isUsableCoordinate(p.easting) && isUsableCoordinate(p.elevation));
        check(descriptionOf(p).size() <= kDescriptionLength);
        // Whatever a description holds, the LandXML text made of it is UTF-8 with no character XML forbids.
        std::string xml;
        appendXmlDescription(xml, descriptionOf(p));
        for (std::size_t k = 0; k < xml.size();) {
            const auto c = static_cast<unsigned char>(xml[k]);
            const std::size_t length = c < 0x80 ? 1 : utf8SequenceLength(xml, k);
            check(length > 0 && (c >= 0x20 || c == '\t' || c == '\n' || c == '\r'));
            check(xml.compare(k, 3, "\xEF\xBF\xBE") != 0 && xml.compare(k, 3, "\xEF\xBF\xBF") != 0);
            k += length;
        }
    }
    std::int64_t largest = 0;
    for (int i = 0; i < r.pointCount; ++i) largest = i == 0 ? r.points[0].number : std::max<std::int64_t>(largest, r.points[static_cast<std::size_t>(i)].number);
    const int next = nextPointNumberAfter(r.points.data(), r.pointCount);
    check(next == INT32_MAX || (next % 100 == 0 && next > largest));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkResult(readPointText(text, PointLayout::PNEZD), 3, size);
    checkResult(readPointText(text, PointLayout::PENZD), 3, size);
    checkResult(readXyzText(text), 0, size);
    return 0;
}
