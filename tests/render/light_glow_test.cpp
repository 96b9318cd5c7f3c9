#include "render/light_glow.h"

#include <gtest/gtest.h>

#include "camera/vector_math.h"
#include "camera/camera.h"
#include "render/light.h"
#include "render/rgb_image.h"

namespace vellacor {
namespace {

// A 200 x 200 view looking north at a light 1000 units ahead: the glow's radius
// is 13.313 * 0.35, about 4.7 pixels, around pixel (99, 98).
class LightGlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        resizeFrameBuffer(frame, 200, 200, Palette{});
        camera.eye = {0, 0, 0};
        camera.direction = normalise({0, 1, -0.01});
        camera.BuildView(1.0, frame.viewWidth, frame.viewHeight);
        light.position = {0, 1000, 0};
        buildPalette(PaletteChoice::Grey, grey);
    }
    std::uint8_t& scene(int x, int y) { return frame.sceneBuffer[static_cast<std::size_t>(y * 200 + x)]; }
    // What the pixel shows with the grey palette, 0xFFRRGGBB.
    std::uint32_t shown(int x, int y) { return rgbFromColorRef(grey[scene(x, y)]); }
    static int brightness(std::uint32_t c) { return static_cast<int>((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)); }

    FrameBuffer frame;
    Camera camera;
    Light light;
    Palette grey;
};

TEST_F(LightGlowTest, CentreIsBrightestAndTheGlowStaysInTheLightsRamp) {
    // Mid-grey ground under the whole glow.
    for (int y = 85; y <= 110; ++y)
        for (int x = 85; x <= 110; ++x) scene(x, y) = 100;
    const std::uint32_t unlit = shown(99, 98);
    drawLightGlow(frame, light, camera);
    const std::uint32_t centre = shown(99, 98);
    EXPECT_EQ(centre, 0xFFFFFFFFu);  // the light ramp's top: white
    const int rim[][2] = {{99, 95}, {96, 98}, {101, 101}};
    for (const auto& [x, y] : rim) {
        const std::uint32_t c = shown(x, y);
        EXPECT_GT(brightness(c), brightness(unlit)) << x << "," << y;  // lit, but less than the centre
        EXPECT_GE(brightness(centre), brightness(c)) << x << "," << y;
        EXPECT_TRUE((c >> 16 & 0xFF) == (c & 0xFF)) << std::hex << c;  // still grey, no water blue
    }
    EXPECT_EQ(shown(99, 90), unlit);  // beyond the radius
}

TEST_F(LightGlowTest, SkyGlowsBrightestInTheMiddleAndGroundInFrontIsUntouched) {
    scene(101, 99) = 100;  // ground nearer than the light, next to it
    frame.depthBuffer[99 * 200 + 101] = -1.0;
    const std::uint32_t before = shown(101, 99);
    drawLightGlow(frame, light, camera);
    EXPECT_EQ(shown(101, 99), before);

    const std::uint32_t middle = shown(99, 98), edge = shown(99, 95);
    EXPECT_NE(edge, 0xFFFFFFFFu);  // the sky (white) shows the glow's greys
    EXPECT_GT(brightness(middle), brightness(edge));
    EXPECT_EQ(shown(99, 90), 0xFFFFFFFFu);  // beyond the radius: plain sky
}

}  // namespace
}  // namespace vellacor
