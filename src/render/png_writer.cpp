#include "render/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "model/file_replacement.h"

namespace vellacor {

namespace {

// What libpng is given: either indices with their colours, or packed RGB rows.
struct PngRows {
    int width = 0;
    int height = 0;
    int colourType = PNG_COLOR_TYPE_RGB;
    std::vector<png_color> palette;
    std::vector<png_bytep> rows;
};

// libpng reports failures by jumping back to encode(); it prints nothing, as the caller says what failed.
[[noreturn]] void stopOnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignoreWarning(png_structp, png_const_charp) {}

// Only plain C objects live in this frame, so the jump out of libpng skips no destructor.
bool encode(std::FILE* file, const PngRows& in) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, stopOnError, ignoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, static_cast<png_uint_32>(in.width), static_cast<png_uint_32>(in.height), 8, in.colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (in.colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, in.palette.data(), static_cast<int>(in.palette.size()));
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(in.rows.data()));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const std::string& path, const RgbImage& image, const Palette& framePalette) {
    if (image.width <= 0 || image.height <= 0) return false;
    PngRows out;
    out.width = image.width;
    out.height = image.height;
    const std::size_t width = static_cast<std::size_t>(image.width);
    std::optional<IndexedImage> indexed = indexColours(image, framePalette);
    std::vector<std::uint8_t> rgb;
    std::uint8_t* pixels = nullptr;
    std::size_t pitch = width;
    if (indexed) {
        out.colourType = PNG_COLOR_TYPE_PALETTE;
        for (const std::uint32_t c : indexed->colours)
            out.palette.push_back(
                {static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
        pixels = indexed->indices.data();
    } else {
        rgb.reserve(3 * image.pixels.size());
        for (const std::uint32_t c : image.pixels)
            rgb.insert(rgb.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                                   static_cast<std::uint8_t>(c)});
        pixels = rgb.data();
        pitch = 3 * width;
    }
    for (int y = 0; y < image.height; ++y) out.rows.push_back(pixels + static_cast<std::size_t>(y) * pitch);

    FileReplacement file(path);
    if (!file.file()) return false;
    const bool ok = encode(file.file(), out);
    return ok && file.commit();
}

}  // namespace vellacor
