#pragma once
#include <string>

#include "render/rgb_image.h"

namespace vellacor {

// Writes the picture as an 8-bit RGB PNG. The image data is stored
// uncompressed (deflate "stored" blocks), which every PNG reader accepts.
// Returns false when the file cannot be written completely.
bool writePng(const std::string& path, const RgbImage& image);

}  // namespace vellacor
