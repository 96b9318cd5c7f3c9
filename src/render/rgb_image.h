#pragma once
#include <cstdint>
#include <optional>
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

// The picture as palette indices, ready for an indexed image file.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
    std::vector<std::uint32_t> colours;  // 0xFFRRGGBB, at most 256
};

// Turns the picture back into indices of `framePalette`, the palette it was
// made from, so the file keeps the frame's own colours and numbering. Colours
// drawn over the frame afterwards (the overlay text) take the entries the
// picture does not use: repeats of an earlier colour first, then colours that
// do not appear. Empty when the picture has more than 256 colours.
std::optional<IndexedImage> indexColours(const RgbImage& image, const Palette& framePalette);

}  // namespace vellacor
