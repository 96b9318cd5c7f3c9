#pragma once
#include <string>
#include <vector>

#include "render/clip.h"
#include "render/frame_buffer.h"
#include "render/frame_projection.h"

namespace vellacor::testing {

// A frame of the given client size with an empty scene.
inline FrameBuffer& sizedFrame(FrameBuffer& frame, int width, int height) {
    resizeFrameBuffer(frame, width, height, Palette{});
    return frame;
}

// The camera-space vertex that lands on pixel (sx, sy) at depth w.
inline ClipVertex vertexAt(const FrameBuffer& f, double sx, double sy, double w, double shade = 0) {
    const Vec3 p = unproject(f, sx, sy, w);
    return {p.x, p.y, p.z, shade, 0, 0};
}

// The scene as rows of text: '.' for background, '#' for `ink`, '?' for anything else.
inline std::vector<std::string> picture(const FrameBuffer& f, int ink) {
    std::vector<std::string> rows;
    for (int y = 0; y < f.viewHeight; ++y) {
        std::string row;
        for (int x = 0; x < f.viewWidth; ++x) {
            const int c = f.sceneBuffer[static_cast<std::size_t>(y * f.viewWidth + x)];
            row += c == kBackgroundColour ? '.' : c == ink ? '#' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

// Rows of text with '#' where the scene has `colour` and '.' elsewhere.
inline std::vector<std::string> mask(const FrameBuffer& f, int colour) {
    std::vector<std::string> rows;
    for (int y = 0; y < f.viewHeight; ++y) {
        std::string row;
        for (int x = 0; x < f.viewWidth; ++x)
            row += f.sceneBuffer[static_cast<std::size_t>(y * f.viewWidth + x)] == colour ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace vellacor::testing
