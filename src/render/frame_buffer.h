#pragma once
#include <cstdint>
#include <vector>

namespace vellacor {

// Placeholder frame buffer record; the rasteriser's version replaces it.
struct FrameBuffer {
    int width = 0;
    int height = 0;
    int pitch = 0;
    std::vector<std::uint8_t> pixels;
};

}  // namespace vellacor
