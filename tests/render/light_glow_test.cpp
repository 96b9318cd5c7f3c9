#include "render/light_glow.h"

#include <gtest/gtest.h>

#include "camera/vector_math.h"
#include "camera/camera.h"
#include "render/light.h"

namespace vellacor {
namespace {

TEST(LightGlow, BrightensSkyAndGroundAroundTheLightButNotWhatIsInFront) {
    FrameBuffer f;
    resizeFrameBuffer(f, 200, 200, Palette{});
    Camera camera;
    camera.eye = {0, 0, 0};
    camera.direction = normalise({0, 1, -0.01});
    camera.BuildView(1.0, f.viewWidth, f.viewHeight);
    Light light;
    light.position = {0, 1000, 0};        // ahead: glow radius 13.313 * 0.35, about 4.7 pixels
    f.sceneBuffer[99 * 200 + 99] = 100;   // ground at the light's pixel
    f.sceneBuffer[99 * 200 + 101] = 100;  // ground in front of the light
    f.depthBuffer[99 * 200 + 101] = -1.0;
    drawLightGlow(f, light, camera);
    EXPECT_EQ(f.sceneBuffer[99 * 200 + 99], 230);                // brightened to the top of the ramp
    EXPECT_EQ(f.sceneBuffer[99 * 200 + 101], 100);               // nearer than the light: untouched
    EXPECT_GT(f.sceneBuffer[99 * 200 + 98], 150);                // sky next to the light glows
    EXPECT_EQ(f.sceneBuffer[99 * 200 + 90], kBackgroundColour);  // beyond the radius
}

}  // namespace
}  // namespace vellacor
