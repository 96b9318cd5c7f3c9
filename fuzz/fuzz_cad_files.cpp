// Feeds arbitrary bytes to the DXF and DWF drawing readers in memory, and
// checks what they accept.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "fuzz_check.h"
#include "import/dwf_reader.h"
#include "import/dxf_reader.h"
#include "import/dxf_surface.h"

namespace {

using namespace vellacor;

using fuzzing::check;

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
                check(descriptionOf(p).size() <= kDescriptionLength);
            }
            check(points || d->faces.empty());
            check(d->faces.size() <= size / 8);  // a face takes at least six groups of two lines
            const SurfaceReadResult surface = surfaceOfFaces(d->points, d->faces);
            check(surface.points.size() <= d->points.size() + 3 * d->faces.size());
            for (const TinTriangle& t : surface.triangles) {
                for (int v : t.vertex) check(v >= 0 && static_cast<std::size_t>(v) < surface.points.size());
                check(t.vertex[0] != t.vertex[1] && t.vertex[1] != t.vertex[2] && t.vertex[0] != t.vertex[2]);
            }
        }
    }
    if (const auto lines = readDwfText(text)) {
        checkLines(*lines, size, true);
        // The lines kept stay within their memory budget.
        std::size_t bytes = 0;
        for (const CadLine& l : *lines) bytes += 2 * sizeof(CadLine) + 16 + l.vertices.capacity() * sizeof(Vec3);
        check(bytes <= 16 * size + (std::size_t{64} << 20));
    }
    return 0;
}
