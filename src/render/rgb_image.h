#pragma once
#include <cstdint>
#include <vector>

#include "render/palette.h"

namespace vellacor {

// The finished picture: 0xFFRRGGBB per pixel, rows top to bottom, no padding
// (the layout of a QImage in Format_RGB32, and what the PNG writer takes).
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Colour of a palette entry or a COLORREF (0x00BBGGRR) as 0xFFRRGGBB.
inline std::uint32_t rgbFromColorRef(std::uint32_t c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Looks every palette index of an 8-bit frame (rows `pitch` bytes apart) up in the palette.
void paletteToRgb(const std::uint8_t* indices, int width, int height, int pitch, const Palette& palette,
                  RgbImage& out);

}  // namespace vellacor
