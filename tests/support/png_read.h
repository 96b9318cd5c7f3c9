#pragma once
// The pictures the program saves, read back with libpng itself.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vellacor::testing {

struct DecodedPng {
    int colourType = -1;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;  // palette files only
    std::vector<std::uint32_t> pixels;  // 0xFFRRGGBB
};

// Reads the file without transforms, so a palette file gives its stored indices and palette.
inline bool readPng(const std::string& path, DecodedPng& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    out.width = static_cast<int>(png_get_image_width(png, info));
    out.height = static_cast<int>(png_get_image_height(png, info));
    out.colourType = png_get_color_type(png, info);
    const bool eightBit = png_get_bit_depth(png, info) == 8;
    png_colorp palette = nullptr;
    int paletteSize = 0;
    png_get_PLTE(png, info, &palette, &paletteSize);
    png_bytepp rows = png_get_rows(png, info);
    for (int y = 0; eightBit && y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            png_color c{};
            if (out.colourType == PNG_COLOR_TYPE_PALETTE) {
                out.indices.push_back(rows[y][x]);
                if (rows[y][x] < paletteSize) c = palette[rows[y][x]];
            } else if (out.colourType == PNG_COLOR_TYPE_RGB) {
                c = {rows[y][3 * x], rows[y][3 * x + 1], rows[y][3 * x + 2]};
            }
            out.pixels.push_back(0xFF000000u | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue);
        }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return eightBit;
}

}  // namespace vellacor::testing
