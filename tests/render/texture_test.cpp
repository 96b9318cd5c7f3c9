// Pictures in and out: 8-bit BMP textures decoded, surface textures drawn, and
// the PNG files the command-line tool saves, read back with libpng itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

#include "camera/vector_math.h"
#include "render/bitmap_text.h"
#include "render/frame_buffer.h"
#include "render/frame_projection.h"
#include "render/png_writer.h"
#include "render/scene.h"
#include "render/surface_textures.h"
#include "render/texture.h"
#include "render/vertex_normals.h"
#include "support/fake_ui.h"
#include "support/grid_surface.h"
#include "support/png_read.h"
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
            if (image.pixels[static_cast<std::size_t>(y * 60 + x)] == 0xFFFF0000u) ++red, minX = std::min(minX, x), maxX = std::max(maxX, x);
    EXPECT_GT(red, 10);
    EXPECT_NEAR((minX + maxX) / 2.0, 30, 3);
    EXPECT_EQ(painter.textWidth("\xC3\xA9"), painter.textWidth("\xE9"));  // UTF-8 and Latin-1 e-acute
}

// A 64 x 64 picture in four quadrants, so a pixel tells which part of the
// picture it came from.
constexpr std::uint8_t kTopLeft = 10, kTopRight = 20, kBottomLeft = 30, kBottomRight = 40;

Texture quadrantPicture() {
    Texture t;
    t.width = t.height = 64;
    t.pixels.resize(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            t.pixels[static_cast<std::size_t>(y * 64 + x)] =
                y < 32 ? (x < 32 ? kTopLeft : kTopRight) : (x < 32 ? kBottomLeft : kBottomRight);
    return t;
}

std::uint8_t quadrantColour(bool right, bool top) {
    return top ? (right ? kTopRight : kTopLeft) : (right ? kBottomRight : kBottomLeft);
}

// A 20 x 20 plane z = 100 + gx*x + gy*y in two triangles, seen from the south
// and above, with every vertex normal the plane's own.
struct TexturedPlane : ::testing::Test {
    SiteDocument site;
    RendererState state;
    Camera camera;
    SiteExtents extents{{10, 10, 100}, 20.0, 100.0, 100.0};

    void build(double gx, double gy) {
        site.points.clear();
        for (const auto& [x, y] : {std::array<double, 2>{0, 0}, {20, 0}, {0, 20}, {20, 20}}) {
            SurveyPoint p;
            p.easting = x, p.northing = y, p.elevation = 100 + gx * x + gy * y;
            site.points.push_back(p);
        }
        site.pointCount = 4;
        site.triangles.clear();
        testing::addFacedTriangle(site, 0, 1, 3);
        testing::addFacedTriangle(site, 0, 3, 2);
        const Vec3 n = normalise({-gx, -gy, 1});
        setVertexNormals(state, VertexNormals(2, {n, n, n}));

        resizeFrameBuffer(state.frame, 160, 120, state.palette[0]);
        camera.eye = {10, -20, 180};
        camera.direction = normalise(Vec3{0, 30, -80});
        camera.BuildView(1.0, state.frame.viewWidth, state.frame.viewHeight);
        clearSceneBuffers(state.frame);
        transformPoints(state, site.points, camera.view);
    }

    void draw(SurfaceMode mode) { drawSurfaceLayer(state, surfaceOf(site), camera, mode, extents, false); }

    ProjectedPoint screenOf(const Vec3& p) const { return project(state.frame, transformPoint(p, camera.view)); }
    std::uint8_t sceneAt(const ProjectedPoint& q) const {
        const FrameBuffer& f = state.frame;
        return f.sceneBuffer[static_cast<std::size_t>(static_cast<int>(q.y) * f.viewWidth + static_cast<int>(q.x))];
    }
    // How many pixels of each colour the surface drew.
    std::map<int, int> surfaceColours() const {
        std::map<int, int> count;
        const FrameBuffer& f = state.frame;
        for (std::size_t i = 0; i < f.sceneBuffer.size(); ++i)
            if (f.depthBuffer[i] != 0.0) ++count[f.sceneBuffer[i]];
        return count;
    }
};

TEST_F(TexturedPlane, NormalTextureShowsThePartOfThePictureTheFaceIsTurnedTowards) {
    // A plane leaning each of four ways: its normal's direction on the screen
    // picks the quadrant, as on a ball facing the viewer.
    for (const auto& [gx, gy] : {std::array<double, 2>{-0.8, -0.8}, {0.8, -0.8}, {-0.8, 0.8}, {0.8, 0.8}}) {
        state.texture = quadrantPicture();
        build(gx, gy);
        draw(SurfaceMode::NormalTexture);
        const Vec3 centre{10, 10, 100};
        const Vec3 normal = normalise({-gx, -gy, 1});
        const ProjectedPoint a = screenOf(centre), b = screenOf(centre + normal);
        const std::uint8_t expected = quadrantColour(b.x > a.x, b.y < a.y);
        const std::map<int, int> colours = surfaceColours();
        ASSERT_FALSE(colours.empty());
        EXPECT_EQ(colours.begin()->first, expected) << gx << "," << gy;
        EXPECT_EQ(colours.size(), 1u) << gx << "," << gy;
    }
}

TEST_F(TexturedPlane, SwirlLaysThePictureBehindAndTurnsItUnmirroredOverTheSurface) {
    state.texture = quadrantPicture();
    build(0, 0);
    state.redrawNeeded = false;
    draw(SurfaceMode::SwirlTexture);
    // Behind: the picture stretched over the frame the right way up.
    const FrameBuffer& f = state.frame;
    auto at = [&](int x, int y) { return f.sceneBuffer[static_cast<std::size_t>(y * f.viewWidth + x)]; };
    EXPECT_EQ(at(0, 0), kTopLeft);
    EXPECT_EQ(at(f.clientWidth - 1, 0), kTopRight);
    EXPECT_EQ(at(0, f.viewHeight - 1), kBottomLeft);
    EXPECT_EQ(at(f.clientWidth - 1, f.viewHeight - 1), kBottomRight);
    // On the surface: north-east of the centre is the picture's top right, and so on.
    EXPECT_EQ(sceneAt(screenOf({14, 14, 100})), kTopRight);
    EXPECT_EQ(sceneAt(screenOf({6, 14, 100})), kTopLeft);
    EXPECT_EQ(sceneAt(screenOf({6, 6, 100})), kBottomLeft);
    EXPECT_EQ(sceneAt(screenOf({14, 6, 100})), kBottomRight);
    // The turn goes on: each rebuild moves it and asks for the next.
    EXPECT_TRUE(state.redrawNeeded);
    const double phase = state.swirlPhase;
    draw(SurfaceMode::SwirlTexture);
    EXPECT_LT(state.swirlPhase, phase);
}

TEST_F(TexturedPlane, ImageOnlyShowsThePictureAndTheSurfaceDrawsNothing) {
    state.texture = quadrantPicture();
    build(0, 0);
    draw(SurfaceMode::ImageOnly);
    EXPECT_TRUE(surfaceColours().empty());  // no depth written anywhere
    std::vector<std::uint8_t> expected(state.frame.sceneBuffer.size(), kBackgroundColour);
    stretchImage(state.texture, expected.data(), state.frame.clientWidth, state.frame.viewHeight,
                 state.frame.viewWidth);
    EXPECT_EQ(state.frame.sceneBuffer, expected);
}

// The pictures the command-line tool saves, read back with libpng itself.
using testing::DecodedPng;
using testing::readPng;
using testing::TempDir;

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
