#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "model/background_job.h"
#include "model/surface_view.h"

namespace vellacor {

// A surface of millions of triangles cannot be drawn whole while the view
// moves. Coarser versions of it are made in the background, each from a
// subset of the surface's own points, and a moving frame draws, tile by tile,
// the coarsest version whose triangles and height error stay within a pixel
// or two on the screen.

// Below this many triangles every frame draws the whole surface.
inline constexpr int kDetailLevelsFrom = 1'000'000;

// The squares of the plan the versions are grouped by.
struct DetailTiling {
    double originX = 0.0, originY = 0.0;  // the south-west corner
    double side = 1.0;                    // of a tile
    int columns = 0, rows = 0;

    int count() const { return columns * rows; }
    // The tile holding (x, y); positions beyond the edge go to the nearest tile.
    int tileAt(double x, double y) const;
};

// One version of the surface, its triangles grouped by tile: each triangle
// is at home in the tile of its centroid and visits every other tile its
// plan box reaches into. A tile drawn from this version draws its own
// triangles and the visitors whose home tile is drawn from another version,
// so tiles of different versions overlap at their edges and never leave a gap.
struct DetailLevel {
    // The side of the plan squares its points were picked from, one each; 0
    // for the whole surface.
    double spacing = 0.0;
    // Its own triangles, corners naming its points: copies of the surface's
    // (pointOf names them), in an order that keeps neighbours close in memory.
    // All empty for the whole surface, whose records are read instead.
    std::vector<std::array<std::int32_t, 3>> corners;
    std::vector<SurveyPoint> points;
    std::vector<std::int32_t> pointOf;
    std::vector<std::int32_t> homeStart, homeTriangles;  // tile t: [homeStart[t], homeStart[t + 1])
    std::vector<std::int32_t> visitStart, visitTriangles, visitHome;
    // Per tile: no point of the surface in it lies further above or below
    // this version than this (in elevation units).
    std::vector<float> error;
};

struct DetailSurface {
    // The surface the versions were made from.
    const void* triangles = nullptr;
    int triangleCount = 0;
    int pointCount = 0;

    DetailTiling tiling;
    std::vector<float> tileLow, tileHigh;  // the elevations the surface's points in each tile span
    std::vector<DetailLevel> levels;       // [0] the whole surface, then ever coarser

    bool madeFrom(const SurfaceView& surface) const {
        return !levels.empty() && triangles == surface.triangles.data() && triangleCount == surface.triangleCount &&
               pointCount == surface.pointCount;
    }
    // The memory it holds, in bytes.
    std::size_t bytes() const;
};

// Makes the versions of a surface of at least kDetailLevelsFrom triangles
// (nothing for a smaller one). Linear in the number of triangles but for the
// triangulation of the first version's points (a quarter of them, or about a
// thirty-sixth on a surface of millions); the passes over the whole surface
// run on two cores. Reads the surface in place, so nothing may change it
// meanwhile. False when cancelled. `fromTriangles` lowers the threshold for
// small test surfaces.
bool buildDetailSurface(const SurfaceView& surface, DetailSurface& out, const JobControl& control,
                        int fromTriangles = kDetailLevelsFrom);

// What a moving frame draws of a large surface (see chooseDetailFrame): per tile of the plan, the
// coarsest version whose point spacing and height error project to at most
// a pixel or two, the tiles outside the view left out.
// The frame's triangles name copies of their points, kept together in the
// order first met: the passes that read a triangle's corners then find them
// close by, where the surface's own records lie all over memory.
struct DetailFrame {
    std::vector<TinTriangle> triangles;  // corners name `copies`; no links
    std::vector<std::int8_t> tileLevel;  // per tile: the version drawn, -1 when the tile is out of view
    // Per triangle: the version it is of, and its place there.
    std::vector<std::int8_t> sourceLevel;
    std::vector<std::int32_t> sourceTriangle;
    std::vector<std::int32_t> points;    // the surface's points the copies are of
    std::vector<SurveyPoint> copies;
    // Per coarser version, per point of it: the frame that listed it (high
    // half) and its copy (low half); empty until a frame draws from the
    // version. The whole surface's points listed this frame are in
    // `wholeListed`, a table of (point << 32) | copy.
    std::vector<std::vector<std::uint64_t>> listedAs;
    std::vector<std::uint64_t> wholeListed;
    std::uint32_t stamp = 0;

    SurfaceView surface() const {
        return {copies, static_cast<int>(copies.size()), triangles, static_cast<int>(triangles.size()), {}};
    }
};

// Lists the triangles (and their points) of the versions frame.tileLevel
// names for each tile: a tile's own triangles, and those of its neighbours
// that reach into it from a tile drawn from another version or not at all.
void listDetailTriangles(const DetailSurface& detail, const SurfaceView& whole, DetailFrame& frame);

}  // namespace vellacor
