#include "surface/drape_lines.h"

#include "surface/drape.h"
#include "surface/triangle_grid.h"

namespace vellacor {

namespace {
constexpr std::size_t kProgressEvery = 100;
}

bool drapeCadLines(const SurfaceView& surface, std::span<const CadLine> lines, std::vector<CadLine>& draped,
                   const JobControl& control) {
    draped.clear();
    draped.reserve(lines.size());
    // Each segment starts where the last one ended; a line's first segment
    // is found through the grid.
    const TriangleGrid grid = buildTriangleGrid(surface);
    DrapeStart start{&grid, 0};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i % kProgressEvery == 0 &&
            !control.carryOn(static_cast<double>(i) / static_cast<double>(lines.size())))
            return false;
        const CadLine& line = lines[i];
        CadLine out{line.colour, {}};
        for (std::size_t k = 1; k < line.vertices.size(); ++k) {
            // Segments join end to start on the surface; an end off the surface
            // carries kOutsideSurface, so the drawing never bridges a gap.
            const Vec3& a = line.vertices[k - 1];
            const Vec3& b = line.vertices[k];
            drapeSegment(surface, start, a.x, a.y, b.x, b.y, out.vertices);
        }
        draped.push_back(std::move(out));
    }
    return true;
}

}  // namespace vellacor
