// Lays arbitrary CAD lines on a built surface as the overlay drape does: the
// lines of the bytes read as a DXF drawing, and the bytes themselves as one
// polyline of 16-bit coordinates around the site (on it, off it, along its
// grid lines and through its corners).
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "fuzz_check.h"
#include "app/surface_stages.h"
#include "import/dxf_reader.h"
#include "site_fixture.h"
#include "surface/drape_lines.h"

namespace {

using namespace vellacor;

using fuzzing::check;

const SiteModel& fixture() {
    static SiteModel* model = [] {
        auto* m = new SiteModel;
        fuzzing::loadFixtureSite(*m);
        return m;
    }();
    return *model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SiteModel& site = fixture();
    std::vector<CadLine> lines;
    if (auto drawing = readDxfText(std::string_view(reinterpret_cast<const char*>(data), size), false))
        lines = std::move(drawing->lines);
    CadLine raw;
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        std::int16_t x = 0, y = 0;
        std::memcpy(&x, data + i, 2);
        std::memcpy(&y, data + i + 2, 2);
        // A quarter step per unit, so small values fall on grid lines and corners.
        raw.vertices.push_back({fuzzing::kFixtureOrigin + x * 2.5, fuzzing::kFixtureOrigin + y * 2.5, 0.0});
    }
    if (raw.vertices.size() >= 2) lines.push_back(std::move(raw));

    std::atomic<bool> cancelled{false};
    std::atomic<double> progress{0.0};
    std::vector<CadLine> draped;
    check(drapeCadLines(linkedSurfaceOf(site), lines, draped, JobControl(cancelled, progress)));
    check(draped.size() == lines.size());
    for (const CadLine& l : draped)
        for (const Vec3& v : l.vertices) check(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
    return 0;
}
