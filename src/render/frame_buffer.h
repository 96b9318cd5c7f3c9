#pragma once
#include <cstdint>
#include <limits>
#include <vector>

#include "render/palette.h"

namespace vellacor {

// One end of a polygon's crossing of a pixel row: x and the attributes there.
struct SpanEnd {
    double x = 0, shade = 0, w = 0, u = 0, v = 0;
};

// The left and right crossings of one row of the polygon being filled.
struct SpanRow {
    SpanEnd left, right;
};

// The off-screen picture of the 3D view: palette indices, a cached static
// scene, depth values w = 1/z (0 = nothing drawn), and the filler's span table.
// Every buffer is viewWidth wide (the row pitch) and viewHeight high; pixel
// (x, y) is element y * viewWidth + x, y growing downwards.
struct FrameBuffer {
    int clientWidth = 0;  // the visible width; viewWidth is it rounded up to 4
    int clientHeight = 0;
    int viewWidth = 0;
    int viewHeight = 0;
    int halfWidth = 0;   // viewWidth / 2 - 1: the projection's horizontal scale
    int halfHeight = 0;  // viewHeight / 2 - 1

    std::vector<std::uint8_t> displayBits;  // what the window shows; empty until the bitmap exists
    std::vector<std::uint8_t> sceneBuffer;
    std::vector<double> depthBuffer;
    std::vector<double> widgetDepthBuffer;  // depth of the axis marker, kept apart from the scene's
    std::vector<SpanRow> spanTable;

    // The colour table the window shows displayBits with: a copy taken when
    // the bitmap was (re)made, as a palettized bitmap keeps its own.
    Palette bitmapPalette{};
    bool bitmapExists = false;

    int pixelCount() const { return viewWidth * viewHeight; }
    bool hasBuffers() const {
        return viewWidth > 0 && viewHeight > 0 && sceneBuffer.size() >= static_cast<std::size_t>(pixelCount());
    }
};

// Row pitch in bytes of an 8-bit image `clientWidth` pixels wide: a multiple of 4.
inline int rowPitch(int clientWidth) { return ((clientWidth * 8 + 31) / 32) * 4; }

// The view's size changed: new sizes, new buffers, and a new bitmap with
// `bitmapPalette` when one existed. An empty client area keeps the old buffers.
void resizeFrameBuffer(FrameBuffer& frame, int clientWidth, int clientHeight, const Palette& bitmapPalette);

// Makes displayBits for the current size and takes `palette` as its colour table.
void createFrameBitmap(FrameBuffer& frame, const Palette& palette);

// Rows [first, limit) of a frame.
struct RowRange {
    int first = 0;
    int limit = std::numeric_limits<int>::max();
};

// Start of a static-scene rebuild: background everywhere, nothing drawn.
void clearSceneBuffers(FrameBuffer& frame);
// The same within `rows` only (clamped to the frame).
void clearSceneRows(FrameBuffer& frame, RowRange rows);
// Its two halves, for two threads: the background, and the depth.
void clearScenePixels(FrameBuffer& frame);
void clearSceneDepth(FrameBuffer& frame);

// Sizes `second` as `frame` for a second thread's fill of the same view:
// pixels, depths and span table of its own, to be cleared before the fill.
// True when it sized them anew: then no part of them can be taken as clear.
bool prepareSecondFill(FrameBuffer& second, const FrameBuffer& frame);

// Lays over rows [firstRow, rowLimit) of `frame` the pixels `later` drew at
// least as near as what `frame` holds there: the picture that filling the
// triangles of `frame` and then those of `later` into one frame would have
// made, as a pixel takes the last of the nearest fills (w <= depth).
void takeNearerPixels(FrameBuffer& frame, const FrameBuffer& later, int firstRow, int rowLimit);

// Copies the cached scene into the displayed picture.
void copySceneToDisplay(FrameBuffer& frame);

// Where a fill or a line draws: the pixels and the depth values it tests against.
struct RasterTarget {
    std::uint8_t* pixels = nullptr;
    double* depth = nullptr;
    // The rows [firstRow, rowLimit) a fill may write (lines ignore them): two
    // threads can fill the two halves of one frame, each with its own rows of
    // the span table.
    int firstRow = 0;
    int rowLimit = std::numeric_limits<int>::max();
};

// The same buffers, the fills limited to rows [firstRow, rowLimit).
inline RasterTarget withinRows(RasterTarget target, int firstRow, int rowLimit) {
    target.firstRow = firstRow;
    target.rowLimit = rowLimit;
    return target;
}

RasterTarget sceneTarget(FrameBuffer& frame);    // sceneBuffer, depthBuffer
RasterTarget displayTarget(FrameBuffer& frame);  // displayBits, depthBuffer
RasterTarget widgetTarget(FrameBuffer& frame);   // displayBits, widgetDepthBuffer

}  // namespace vellacor
