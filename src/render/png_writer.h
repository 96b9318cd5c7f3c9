#pragma once
#include <string>

#include "render/palette.h"
#include "render/rgb_image.h"

namespace vellacor {

// Writes the picture as a compressed PNG with an 8-bit palette: the palette
// the frame was drawn with, plus the colours drawn over it afterwards (see
// indexColours). A picture of more than 256 colours is written as 8-bit RGB.
// Returns false when the file cannot be written completely.
bool writePng(const std::string& path, const RgbImage& image, const Palette& framePalette);

}  // namespace vellacor
