// The pictures the command-line tool saves, read back with libpng itself.
#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include "render/bitmap_text.h"
#include "render/png_writer.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::TempDir;

struct DecodedPng {
    int colourType = -1;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;  // palette files only
    std::vector<std::uint32_t> pixels;  // 0xFFRRGGBB
};

// Reads the file without transforms, so a palette file gives its stored indices and palette.
bool readPng(const std::string& path, DecodedPng& out) {
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

TEST(PngFile, FrameAndOverlayTextComeBackPixelForPixelInTheFramesPalette) {
    // Every palette entry in use, then text in two colours the palette lacks.
    Palette palette;
    buildPalette(PaletteChoice::Earth, palette);
    const int width = 320, height = 180;
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame[static_cast<std::size_t>(y * width + x)] = static_cast<std::uint8_t>(x / 2 + y);
    RgbImage image;
    paletteToRgb(frame.data(), width, height, width, palette, image);
    BitmapTextPainter painter(image);
    painter.text(4, 4, "12.5 fps", 0x123456, TextAlign::Left, 0, true, 0x654321);

    TempDir dir;
    ASSERT_TRUE(writePng(dir.path("frame.png"), image, palette));
    DecodedPng png;
    ASSERT_TRUE(readPng(dir.path("frame.png"), png));
    EXPECT_EQ(png.colourType, PNG_COLOR_TYPE_PALETTE);
    ASSERT_EQ(png.width, width);
    ASSERT_EQ(png.height, height);
    EXPECT_TRUE(png.pixels == image.pixels);

    // Below the text each pixel keeps its frame index, unless an earlier entry has the same colour.
    int kept = 0, moved = 0;
    for (std::size_t i = static_cast<std::size_t>(40 * width); i < frame.size(); ++i) {
        const auto first = std::find(palette.begin(), palette.end(), palette[frame[i]]) - palette.begin();
        (png.indices[i] == first ? kept : moved) += 1;
    }
    EXPECT_EQ(moved, 0);
    EXPECT_GT(kept, 0);
}

TEST(PngFile, MoreThan256ColoursAreSavedAsRgb) {
    RgbImage image{40, 10, {}};
    for (std::uint32_t i = 0; i < 400; ++i) image.pixels.push_back(0xFF000000u | i * 0x010305u);
    TempDir dir;
    Palette grey;
    buildPalette(PaletteChoice::Grey, grey);
    ASSERT_TRUE(writePng(dir.path("many.png"), image, grey));
    DecodedPng png;
    ASSERT_TRUE(readPng(dir.path("many.png"), png));
    EXPECT_EQ(png.colourType, PNG_COLOR_TYPE_RGB);
    EXPECT_TRUE(png.pixels == image.pixels);
}

TEST(PngFile, IsCompressedAndRefusesWhatItCannotWrite) {
    Palette grey;
    buildPalette(PaletteChoice::Grey, grey);
    std::vector<std::uint8_t> frame(1280 * 720, kBackgroundColour);
    RgbImage image;
    paletteToRgb(frame.data(), 1280, 720, 1280, grey, image);
    TempDir dir;
    ASSERT_TRUE(writePng(dir.path("plain.png"), image, grey));
    EXPECT_LT(testing::readFile(dir.path("plain.png")).size(), 10000u);  // stored rows would be 900 KB
    EXPECT_FALSE(writePng(dir.path("none/a.png"), image, grey));
    EXPECT_FALSE(writePng("/dev/full", image, grey));
    EXPECT_FALSE(writePng(dir.path("empty.png"), RgbImage{}, grey));
}

}  // namespace
}  // namespace vellacor
