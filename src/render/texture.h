#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/palette.h"

namespace vellacor {

class Ui;

// An 8-bit image: palette indices, rows top to bottom, and its own palette.
struct Texture {
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    Palette palette{};

    bool loaded() const { return width > 0 && height > 0; }
    std::uint8_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

// The whole file when it is a BMP whose size field matches the file; nothing otherwise.
std::optional<std::vector<std::uint8_t>> readBmpFile(const std::string& path);

// Decodes a 256-colour BMP (uncompressed or RLE8, Windows or OS/2 header,
// top-down or bottom-up) into an image with top-first rows. Nothing for a
// file that is not a well-formed 8-bit BMP; `bitCount` reports the depth found.
std::optional<Texture> decodeBmp8(const std::vector<std::uint8_t>& file, int* bitCount = nullptr);

// Loads `path` as the texture. A file that cannot be read leaves the texture
// as it was without a message; a BMP of another depth says so.
bool loadTexture(Texture& texture, Ui& ui, const std::string& path);

// The generated 500 x 500 radial pattern: 231 at the centre, 16 at the corners.
void makeRadialTexture(Texture& texture);

// Stretches the image over a frame of palette indices (rows `pitch` bytes
// apart) with nearest-texel sampling, so that it fills the frame.
void stretchImage(const Texture& image, std::uint8_t* frame, int width, int height, int pitch);

}  // namespace vellacor
