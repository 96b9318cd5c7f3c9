#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "camera/matrix.h"
#include "render/frame_buffer.h"
#include "surface/traced_contours.h"

namespace vellacor {

// Kept contour lines can be rasterised on one core while the other fills the
// surface. Lines test against the surface's depth but never write it, so each
// pixel a line covers is kept with its depth and colour, and tested once the
// surface is done: in drawing order, that gives the picture drawing the lines
// straight onto the surface gives.
struct LineFragment {
    std::uint32_t pixel = 0;  // y * viewWidth + x
    std::uint8_t colour = 0;
    double w = 0.0;  // the line's depth there, bias included
};

// The pixels of a frame's kept contour lines in drawing order: those of the
// rows above splitRow, and the rest, so that two threads can lay them at once.
struct LineFragments {
    std::vector<LineFragment> upper, lower;
    int splitRow = 0;
    std::size_t segmentsDone = 0;  // segments [0, segmentsDone) are in the lists
};

// Beyond this many fragments (64 MB) the remaining segments are left to be
// drawn straight onto the finished surface.
inline constexpr std::size_t kMaxLineFragments = 4'000'000;

// The pixels of segments (site coordinates, seen through `view`), from the
// first, into `out`, until all are done or the lists are full; those of rows
// above `splitRow` in the upper list.
void rasterContourLines(const FrameBuffer& frame, const Matrix& view, std::span<const ContourLine> segments,
                        LineFragments& out, int splitRow);

// Each fragment in order, where it is not behind what is drawn.
void applyLineFragments(RasterTarget target, std::span<const LineFragment> fragments);

}  // namespace vellacor
