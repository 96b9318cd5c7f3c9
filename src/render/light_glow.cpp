#include "render/light_glow.h"

#include <algorithm>
#include <cmath>

#include "camera/camera.h"
#include "camera/vector_math.h"
#include "render/light.h"
#include "render/frame_projection.h"

namespace vellacor {

void drawLightGlow(FrameBuffer& frame, const Light& light, const Camera& camera) {
    if (!frame.hasBuffers()) return;
    const double r = std::clamp(13313.0 / distance(light.position, camera.eye), 5.0, 50.0) * 0.35;
    const Vec3 c = transformPoint(light.position, camera.view);
    if (outcode(c) != 0) return;
    const ProjectedPoint p = project(frame, c);
    const int width = frame.viewWidth, height = frame.viewHeight;
    if (p.x - r <= 0 && p.x + r >= width && p.y - r <= 0 && p.y + r >= height) return;  // the glow would fill the view

    const int x0 = std::max(0, static_cast<int>(p.x - r)), x1 = std::min(width, static_cast<int>(p.x + r + 5.0));
    const int y0 = std::max(0, static_cast<int>(p.y - r)), y1 = std::min(height, static_cast<int>(p.y + r + 5.0));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const double d = std::hypot(x - p.x, y - p.y);
            const std::size_t i =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
            if (!(d < r) || !(p.w <= frame.depthBuffer[i])) continue;
            // Both cases stop at the top of the surface ramp: the next entry starts the
            // water ramp, whose dull blue-grey would leave the middle of the glow dark.
            std::uint8_t& pixel = frame.sceneBuffer[i];
            double lit = pixel;
            if (pixel >= 17) {
                lit = pixel + 215.0 * ((r - d) + 0.55) / r;
            } else if (pixel == kBackgroundColour) {
                // Over the sky the glow fades out from its middle.
                const double q = (r - 0.5 * d) / r;
                if (q >= 0.01) lit = 16 + static_cast<int>(215.0 * q);
            }
            pixel = static_cast<std::uint8_t>(std::min<double>(kSurfaceRampLast, lit));
        }
}

}  // namespace vellacor
