// Feeds arbitrary bytes to the DXF and DWF drawing readers in memory, and
// checks what they accept.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "import/dwf_reader.h"
#include "import/dxf_reader.h"

namespace {

using namespace vellacor;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void checkLines(const std::vector<CadLine>& lines, std::size_t size, bool boundedByFile) {
    std::size_t vertices = 0;
    for (const CadLine& l : lines) {
        check(l.vertices.size() >= 2);
        vertices += l.vertices.size();
        for (const Vec3& v : l.vertices) check(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
    }
    // Arcs and circles add at most about one vertex a byte beyond the minimum budget.
    if (boundedByFile) check(vertices <= 4 * size + 2'000'000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const bool points : {true, false}) {
        if (const std::optional<DxfDrawing> d = readDxfText(text, points)) {
            check(points || d->points.empty());
            checkLines(d->lines, size, true);
            for (const SurveyPoint& p : d->points) {
                check(isUsableCoordinate(p.easting) && isUsableCoordinate(p.northing) && isUsableCoordinate(p.elevation));
                check(std::strlen(p.description) <= kDescriptionLength);
            }
        }
    }
    if (const auto lines = readDwfText(text)) checkLines(*lines, size, true);
    return 0;
}
