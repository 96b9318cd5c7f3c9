#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "render/palette.h"
#include "render/projection.h"
#include "water/rain_system.h"

namespace vellacor {

namespace {

constexpr int kWaterBrighten = 7;
constexpr int kDropColour = 240;
constexpr int kStreakColour = 239;
constexpr int kLongestStreak = 10;  // pixels
constexpr double kStreakFade = 0.58;  // colour steps per pixel along the streak

bool isWaterColour(int c) { return c >= kWaterRampFirst && c <= kWaterRampLast; }

// A water pixel grows brighter; anything else takes `colour`.
void wet(std::uint8_t& pixel, int colour) {
    pixel = static_cast<std::uint8_t>(isWaterColour(pixel) ? std::min(pixel + kWaterBrighten, kWaterRampLast) : colour);
}

// From the drop's pixel towards where it was, at most 10 pixels, fading.
void drawStreak(FrameBuffer& f, int x0, int y0, int x1, int y1) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    double shade = kStreakColour;
    for (int n = 0; n < kLongestStreak; ++n) {
        if (x0 < 0 || y0 < 0 || x0 >= f.viewWidth || y0 >= f.viewHeight) return;
        wet(f.displayBits[static_cast<std::size_t>(y0) * static_cast<std::size_t>(f.viewWidth) + static_cast<std::size_t>(x0)],
            static_cast<int>(shade));
        if (n > 0) shade -= kStreakFade;
        if (x0 == x1 && y0 == y1) return;
        const int twice = 2 * error;
        if (twice >= dy) error += dy, x0 += sx;
        if (twice <= dx) error += dx, y0 += sy;
    }
}

}  // namespace

void RainSystem::Draw(FrameBuffer& f, const Matrix& view) const {
    if (!f.hasBuffers() || f.displayBits.size() < static_cast<std::size_t>(f.pixelCount())) return;
    const Viewport viewport = viewportOf(f);
    const auto width = static_cast<std::size_t>(f.viewWidth);
    for (int i = 0; i < activeCount_; ++i) {
        const RainDrop& drop = drops_[static_cast<std::size_t>(i)];
        const Vec3 c = transformPoint(drop.position, view);
        if (outcode(c) != 0) continue;
        const ProjectedPoint q = project(viewport, c);
        if (!(q.x > 1.0 && q.x < f.viewWidth - 2 && q.y > 1.0 && q.y < f.viewHeight - 2)) continue;
        const int px = static_cast<int>(q.x), py = static_cast<int>(q.y);
        const std::size_t k = static_cast<std::size_t>(py) * width + static_cast<std::size_t>(px);
        if (!(q.w - 0.0003 <= f.depthBuffer[k])) continue;
        for (const std::size_t at : {k, k - 1, k + 1, k - width, k + width}) wet(f.displayBits[at], kDropColour);
        const Vec3 was = transformPoint(drop.previousPosition, view);
        if (outcode(was) != 0) continue;
        const ProjectedPoint p = project(viewport, was);
        drawStreak(f, px, py, static_cast<int>(p.x), static_cast<int>(p.y));
    }
}

}  // namespace vellacor
