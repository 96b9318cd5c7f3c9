#pragma once
#include <cstddef>
#include <cstdint>

#include "render/clip.h"
#include "render/frame_buffer.h"
#include "render/frame_projection.h"
#include "render/surface_mode.h"

namespace vellacor {

// An 8-bit texture, row after row. Empty until a texture is loaded; the
// textured modes then fill with the polygon's flat colour instead.
struct TextureImage {
    const std::uint8_t* texels = nullptr;
    int width = 0;
    int height = 0;
};

// The wave heights that make the water ripple: 512 x 512 values, row-major.
// Null for calm water.
inline constexpr int kRippleGridSize = 512;
struct WaterRipples {
    const std::int32_t* heights = nullptr;
};

// What the textured and water fills read besides the polygon.
struct FillInputs {
    TextureImage texture;
    WaterRipples ripples;
};

// Fills an already clipped polygon of `count` camera-space vertices. It must be
// wound so that its edges running down the screen are its left side (front
// faces as the surface draws them); the other winding fills nothing. Fewer
// than three vertices fill nothing.
void fillPolygon(FrameBuffer& frame, RasterTarget target, FillMode mode, const ClipVertex* vertices, int count,
                 std::uint8_t colour, const FillInputs& inputs = {});

// One row's pixels of a flat triangle, waiting to be written: `length`
// pixels from `offset` in the target, the first at depth w, each next one dw
// farther. No default values: a list of these must cost nothing to set up.
struct FlatRun {
    std::ptrdiff_t offset;
    double w, dw;
    int length;
    std::uint8_t colour;
};

// A projected vertex. No default values: the fills' arrays of these must
// cost nothing to set up.
struct ScreenVertex {
    double x, y, w;
};

// A flat triangle that covers rows, waiting to be listed as runs: its
// corners, the rows it fills and the target's rows.
struct PendingTriangle {
    ScreenVertex corner[3];
    int y0, y1, lo, hi;
    std::uint8_t colour;
};

// Flat triangles in drawing order, in two stages: those that cover rows, a
// few dozen at a time, then their rows as runs of pixels, a few hundred at a
// time (see queueFlatTriangle). Each stage works through a batch with no
// branch on what varies at random from one triangle to the next.
struct FlatRuns {
    static constexpr int kCapacity = 256;
    FlatRun run[kCapacity];
    int count = 0;
    static constexpr int kPendingCapacity = 32;
    PendingTriangle pending[kPendingCapacity];
    int pendingCount = 0;
    int width = 0, rows = 0;  // the frame's, as the pending triangles were queued
};

// fillFlatTriangle, except that the triangle is listed in `runs` and its
// pixels written by fillFlatRuns: when the lists are full, or when the caller
// calls it, which it must do before anything else is drawn into the target
// and once at the end. Every call between two fills passes the same frame
// and target.
void queueFlatTriangle(FlatRuns& runs, const FrameBuffer& frame, RasterTarget target, const ProjectedPoint& a,
                       const ProjectedPoint& b, const ProjectedPoint& c, std::uint8_t colour);

// Writes the listed triangles' pixels in order, depth-tested, and empties the lists.
void fillFlatRuns(FlatRuns& runs, RasterTarget target);

// fillPolygon in FillMode::Flat for a triangle wholly inside the view, from its
// vertices already projected: the same pixels, without projecting again.
void fillFlatTriangle(FrameBuffer& frame, RasterTarget target, const ProjectedPoint& a, const ProjectedPoint& b,
                      const ProjectedPoint& c, std::uint8_t colour);

// Clips the polygon (in place) and fills what is left.
void drawPolygon(FrameBuffer& frame, RasterTarget target, FillMode mode, ClipPolygon& polygon, int count,
                 std::uint8_t colour, const FillInputs& inputs = {});

}  // namespace vellacor
