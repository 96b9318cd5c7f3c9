#include "render/rgb_image.h"

namespace vellacor {

void paletteToRgb(const std::uint8_t* indices, int width, int height, int pitch, const Palette& palette,
                  RgbImage& out) {
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::uint32_t lookup[256];
    for (int i = 0; i < 256; ++i) lookup[i] = rgbFromColorRef(palette[static_cast<std::size_t>(i)]);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = indices + static_cast<std::ptrdiff_t>(y) * pitch;
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x) dst[x] = lookup[src[x]];
    }
}

}  // namespace vellacor
