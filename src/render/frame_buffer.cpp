#include "render/frame_buffer.h"

#include <algorithm>


namespace vellacor {

void resizeFrameBuffer(FrameBuffer& f, int clientWidth, int clientHeight, const Palette& bitmapPalette) {
    clientWidth = std::max(clientWidth, 0);
    clientHeight = std::max(clientHeight, 0);
    f.clientWidth = clientWidth;
    f.clientHeight = clientHeight;
    f.viewHeight = clientHeight;
    f.viewWidth = rowPitch(clientWidth);
    f.halfWidth = f.viewWidth / 2 - 1;
    f.halfHeight = f.viewHeight / 2 - 1;
    f.spanTable.assign(static_cast<std::size_t>(f.viewHeight), SpanRow{});
    if (clientWidth >= 1 && clientHeight >= 1) {
        const auto n = static_cast<std::size_t>(f.pixelCount());
        if (f.depthBuffer.capacity() < n) {
            std::vector<double>().swap(f.depthBuffer);
            f.depthBuffer.reserve(n);
        }
        f.depthBuffer.assign(n, 0.0);
        f.widgetDepthBuffer.assign(n, 0.0);
        f.sceneBuffer.assign(n, static_cast<std::uint8_t>(kBackgroundColour));
        const bool hadBitmap = f.bitmapExists;
        f.displayBits.clear();
        f.bitmapExists = false;
        if (hadBitmap) createFrameBitmap(f, bitmapPalette);
    }
}

void createFrameBitmap(FrameBuffer& frame, const Palette& palette) {
    frame.displayBits.assign(static_cast<std::size_t>(std::max(frame.pixelCount(), 0)), 0);
    frame.bitmapPalette = palette;
    frame.bitmapExists = true;
}

void clearScenePixels(FrameBuffer& frame) {
    std::fill(frame.sceneBuffer.begin(), frame.sceneBuffer.end(), static_cast<std::uint8_t>(kBackgroundColour));
}

void clearSceneDepth(FrameBuffer& frame) { std::fill(frame.depthBuffer.begin(), frame.depthBuffer.end(), 0.0); }

void clearSceneBuffers(FrameBuffer& frame) {
    clearScenePixels(frame);
    clearSceneDepth(frame);
}

namespace {

// Where rows [first, limit) of a frame begin and end among its first
// `pixels` elements, clamped to both.
struct PixelRange {
    std::size_t from, to;
};
PixelRange pixelsOfRows(const FrameBuffer& frame, std::size_t pixels, int firstRow, int rowLimit) {
    const auto width = static_cast<std::size_t>(std::max(frame.viewWidth, 0));
    auto startOf = [&](int row) {
        return std::min(pixels, static_cast<std::size_t>(std::clamp(row, 0, frame.viewHeight)) * width);
    };
    return {startOf(firstRow), startOf(rowLimit)};
}

}  // namespace

void clearSceneRows(FrameBuffer& frame, RowRange rows) {
    const auto [from, to] =
        pixelsOfRows(frame, std::min(frame.sceneBuffer.size(), frame.depthBuffer.size()), rows.first, rows.limit);
    if (from >= to) return;
    const auto first = static_cast<std::ptrdiff_t>(from), limit = static_cast<std::ptrdiff_t>(to);
    std::fill(frame.sceneBuffer.begin() + first, frame.sceneBuffer.begin() + limit,
              static_cast<std::uint8_t>(kBackgroundColour));
    std::fill(frame.depthBuffer.begin() + first, frame.depthBuffer.begin() + limit, 0.0);
}

bool prepareSecondFill(FrameBuffer& second, const FrameBuffer& frame) {
    const bool same = second.viewWidth == frame.viewWidth && second.viewHeight == frame.viewHeight &&
                      second.sceneBuffer.size() == frame.sceneBuffer.size() &&
                      second.depthBuffer.size() == frame.depthBuffer.size();
    second.clientWidth = frame.clientWidth;
    second.clientHeight = frame.clientHeight;
    second.viewWidth = frame.viewWidth;
    second.viewHeight = frame.viewHeight;
    second.halfWidth = frame.halfWidth;
    second.halfHeight = frame.halfHeight;
    second.sceneBuffer.resize(frame.sceneBuffer.size());
    second.depthBuffer.resize(frame.depthBuffer.size());
    second.spanTable.resize(frame.spanTable.size());
    return !same;
}

void takeNearerPixels(FrameBuffer& frame, const FrameBuffer& later, int firstRow, int rowLimit) {
    const auto pixels = std::min({frame.sceneBuffer.size(), frame.depthBuffer.size(), later.sceneBuffer.size(),
                                  later.depthBuffer.size()});
    const auto [from, to] = pixelsOfRows(frame, pixels, firstRow, rowLimit);
    std::uint8_t* pixel = frame.sceneBuffer.data();
    double* depth = frame.depthBuffer.data();
    const std::uint8_t* laterPixel = later.sceneBuffer.data();
    const double* laterDepth = later.depthBuffer.data();
    // Where `later` drew nothing its depth is the cleared 0, which no drawn
    // pixel's w reaches: the background stays where both are empty.
    for (std::size_t i = from; i < to; ++i)
        if (laterDepth[i] <= depth[i]) {
            pixel[i] = laterPixel[i];
            depth[i] = laterDepth[i];
        }
}

void copySceneToDisplay(FrameBuffer& frame) {
    if (frame.displayBits.size() == frame.sceneBuffer.size())
        std::copy(frame.sceneBuffer.begin(), frame.sceneBuffer.end(), frame.displayBits.begin());
}

RasterTarget sceneTarget(FrameBuffer& frame) { return {frame.sceneBuffer.data(), frame.depthBuffer.data()}; }
RasterTarget displayTarget(FrameBuffer& frame) { return {frame.displayBits.data(), frame.depthBuffer.data()}; }
RasterTarget widgetTarget(FrameBuffer& frame) { return {frame.displayBits.data(), frame.widgetDepthBuffer.data()}; }

}  // namespace vellacor
