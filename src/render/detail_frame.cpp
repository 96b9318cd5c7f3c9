#include "render/detail_frame.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vellacor {

namespace {

// The version a tile is drawn from: the coarsest whose spacing and error
// look small enough from the nearest depth of the tile's box.
int levelFor(const DetailSurface& detail, std::size_t tile, double nearest, double halfWidth,
             double verticalScale) {
    if (!(nearest > 0.0)) return 0;
    const double pixelsPerUnit = halfWidth / nearest;
    for (std::size_t k = detail.levels.size() - 1; k > 0; --k) {
        const DetailLevel& level = detail.levels[k];
        if (level.spacing * pixelsPerUnit <= kMostSpacingPixels &&
            static_cast<double>(level.error[tile]) * std::fabs(verticalScale) * pixelsPerUnit <= kMostErrorPixels)
            return static_cast<int>(k);
    }
    return 0;
}

}  // namespace

bool chooseDetailFrame(const DetailSurface& detail, const SurfaceView& whole, const Matrix& view,
                       const Viewport& viewport, double verticalScale, DetailFrame& frame) {
    frame.triangles.clear();
    frame.points.clear();
    frame.copies.clear();
    if (!detail.madeFrom(whole)) return false;
    const DetailTiling& tiling = detail.tiling;
    const auto tiles = static_cast<std::size_t>(tiling.count());
    frame.tileLevel.assign(tiles, -1);
    // A tile holding no point (a gap crossed by large triangles) is given the site's heights.
    float siteLow = std::numeric_limits<float>::infinity(), siteHigh = -siteLow;
    for (std::size_t t = 0; t < tiles; ++t)
        if (detail.tileLow[t] <= detail.tileHigh[t])
            siteLow = std::min(siteLow, detail.tileLow[t]), siteHigh = std::max(siteHigh, detail.tileHigh[t]);

    std::size_t total = 0;
    for (int row = 0; row < tiling.rows; ++row)
        for (int column = 0; column < tiling.columns; ++column) {
            const auto tile = static_cast<std::size_t>(row * tiling.columns + column);
            const bool empty = !(detail.tileLow[tile] <= detail.tileHigh[tile]);
            const double x[2] = {tiling.originX + column * tiling.side, tiling.originX + (column + 1) * tiling.side};
            const double y[2] = {tiling.originY + row * tiling.side, tiling.originY + (row + 1) * tiling.side};
            const double z[2] = {empty ? siteLow : detail.tileLow[tile], empty ? siteHigh : detail.tileHigh[tile]};
            unsigned outside = ~0u;
            double nearest = std::numeric_limits<double>::infinity();
            for (int corner = 0; corner < 8; ++corner) {
                const Vec3 p = transformPoint({x[corner & 1], y[(corner >> 1) & 1], z[corner >> 2]}, view);
                outside &= outcode(p);
                nearest = std::min(nearest, -p.z);
            }
            if (outside != 0) continue;  // wholly beyond one side of the view
            const int level = levelFor(detail, tile, nearest, viewport.halfWidth, verticalScale);
            frame.tileLevel[tile] = static_cast<std::int8_t>(level);
            const DetailLevel& l = detail.levels[static_cast<std::size_t>(level)];
            total += static_cast<std::size_t>(l.homeStart[tile + 1] - l.homeStart[tile] + l.visitStart[tile + 1] -
                                              l.visitStart[tile]);
        }
    // Near enough to the ground for most of it to be drawn whole, the whole
    // surface costs no more.
    if (total > static_cast<std::size_t>(whole.triangleCount) / 4 * 3) return false;

    frame.triangles.reserve(total);
    listDetailTriangles(detail, whole, frame);
    return true;
}

}  // namespace vellacor
