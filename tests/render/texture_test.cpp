#include <gtest/gtest.h>

#include "render/bitmap_text.h"
#include "render/texture.h"
#include "support/fake_ui.h"
#include "support/temp_files.h"

namespace vellacor {
namespace {

using testing::sharedData;

Texture decodeShared(const std::string& name) {
    const auto file = readBmpFile(sharedData("bmp/" + name));
    EXPECT_TRUE(file.has_value()) << name;
    if (!file) return {};
    auto t = decodeBmp8(*file);
    EXPECT_TRUE(t.has_value()) << name;
    return t ? *t : Texture{};
}

TEST(Bmp, EightBitVariantsFromOtherToolsDecodeAlike) {
    if (sharedData("bmp/pal8.bmp").empty()) GTEST_SKIP() << "shared data folder not present";
    const Texture plain = decodeShared("pal8.bmp");
    ASSERT_EQ(plain.width, 127);
    ASSERT_EQ(plain.height, 64);
    // The same picture stored top-down, RLE8-compressed, with a full table and with an OS/2 header.
    for (const char* name : {"pal8topdown.bmp", "pal8rle.bmp", "pal8-0.bmp", "pal8os2.bmp"}) {
        const Texture t = decodeShared(name);
        ASSERT_EQ(t.width, 127) << name;
        ASSERT_EQ(t.height, 64) << name;
        int same = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 127; ++x)
                same += plain.palette[plain.at(x, y)] == t.palette[t.at(x, y)];
        EXPECT_EQ(same, 127 * 64) << name;
    }
    const Texture padded = decodeShared("pal8w126.bmp");
    EXPECT_EQ(padded.width, 126);
    EXPECT_EQ(padded.height, 63);
    decodeShared("pal8badindex.bmp");  // indices past the table decode (to black), no crash
    EXPECT_EQ(decodeShared("wireframe.bmp").width, 20);
}

TEST(Bmp, RefusalsAndTheDepthMessage) {
    testing::TempDir dir;
    testing::FakeUi ui;
    Texture t;
    EXPECT_FALSE(loadTexture(t, ui, dir.write("short.bmp", "BM\x10")));
    EXPECT_TRUE(ui.messages.empty());
    // A 24-bit header: named in the message, nothing loaded.
    std::string bmp24(54, '\0');
    bmp24[0] = 'B', bmp24[1] = 'M', bmp24[2] = 54, bmp24[14] = 40, bmp24[18] = 1, bmp24[22] = 1, bmp24[28] = 24;
    const std::string path = dir.write("rgb.bmp", bmp24);
    EXPECT_FALSE(loadTexture(t, ui, path));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "The file:\n" + path + "\nis not a 256 color image, and will not be used.");
    // An 8-bit header whose pixel rows run past the end of the file.
    std::string cut = bmp24;
    cut[28] = 8;
    cut[18] = 100, cut[22] = 100, cut[10] = 54;
    EXPECT_FALSE(loadTexture(t, ui, dir.write("cut.bmp", cut)));
    EXPECT_FALSE(t.loaded());
}

// A few bytes of RLE8 may not claim a picture far larger than its codes could
// draw (the fuzzer's 100-byte file of 5 x 8,388,611 pixels took a second and
// 80 MB); one its runs do fill is read.
TEST(Bmp, CompressedPictureIsNoLargerThanItsCodesCanDraw) {
    std::vector<std::uint8_t> rle(54 + 1024, 0);
    rle[0] = 'B', rle[1] = 'M', rle[10] = 54, rle[11] = 4, rle[14] = 40, rle[26] = 1, rle[28] = 8, rle[30] = 1;
    const auto withSize = [&](int width, int height, const std::vector<std::uint8_t>& codes) {
        std::vector<std::uint8_t> file = rle;
        for (int k = 0; k < 4; ++k) {
            file[18 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(width >> (8 * k));
            file[22 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(height >> (8 * k));
        }
        file.insert(file.end(), codes.begin(), codes.end());
        return decodeBmp8(file);
    };
    EXPECT_FALSE(withSize(5, 8388611, {0, 1}));  // end of bitmap at once
    EXPECT_FALSE(withSize(8000, 8000, {0, 1}));
    // 255 pixels a run, 16 runs a row: as large as the codes draw, and read.
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 64; ++y) {
        for (int run = 0; run < 16; ++run) rows.insert(rows.end(), {255, static_cast<std::uint8_t>(y)});
        rows.insert(rows.end(), {0, 0});
    }
    const auto full = withSize(16 * 255, 64, rows);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->at(16 * 255 - 1, 0), 63);  // bottom-up: the first row drawn is the last
}

TEST(Texture, RadialPatternAndStretch) {
    Texture t;
    makeRadialTexture(t);
    EXPECT_EQ(t.at(250, 250), 231);
    EXPECT_EQ(t.at(0, 0), 16);
    EXPECT_EQ(t.at(499, 499), 16);
    std::vector<std::uint8_t> frame(8 * 3, 0);
    stretchImage(t, frame.data(), 5, 3, 8);
    EXPECT_EQ(frame[0], 16);
    EXPECT_EQ(frame[5], 0);  // padding past the width is not written
}

TEST(BitmapText, DrawsInkOnlyWhereGlyphsAreAndCentres) {
    RgbImage image{60, 20, std::vector<std::uint32_t>(60 * 20, 0xFF000000u)};
    BitmapTextPainter painter(image);
    painter.text(30, 0, "Hi", 0x0000FF, TextAlign::Centre);
    int red = 0, minX = 60, maxX = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if (image.pixels[y * 60 + x] == 0xFFFF0000u) ++red, minX = std::min(minX, x), maxX = std::max(maxX, x);
    EXPECT_GT(red, 10);
    EXPECT_NEAR((minX + maxX) / 2.0, 30, 3);
    EXPECT_EQ(painter.textWidth("\xC3\xA9"), painter.textWidth("\xE9"));  // UTF-8 and Latin-1 e-acute
}

}  // namespace
}  // namespace vellacor
