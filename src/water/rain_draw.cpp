#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstdlib>

#include "render/palette.h"
#include "render/projection.h"
#include "water/rain_system.h"

namespace vellacor {

namespace {

constexpr int kWaterBrighten = 7;
constexpr std::uint8_t kDropColour = 240;
constexpr int kStreakColour = 239;
constexpr int kLongestStreak = 10;  // pixels
constexpr double kStreakFade = 0.58;  // colour steps per pixel along the streak

// What wetting does to each colour: water grows brighter; anything else
// (0 here) takes the drop's colour.
constexpr std::array<std::uint8_t, 256> kWetted = [] {
    std::array<std::uint8_t, 256> wetted{};
    for (int c = kWaterRampFirst; c <= kWaterRampLast; ++c)
        wetted[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(std::min(c + kWaterBrighten, kWaterRampLast));
    return wetted;
}();

void wet(std::uint8_t& pixel, std::uint8_t colour) {
    const std::uint8_t wetted = kWetted[pixel];
    pixel = wetted != 0 ? wetted : colour;
}

// The colour of each pixel along a streak: the fade starts after the second.
constexpr std::array<std::uint8_t, kLongestStreak> kStreakShades = [] {
    std::array<std::uint8_t, kLongestStreak> shades{};
    double shade = kStreakColour;
    for (int n = 0; n < kLongestStreak; ++n) {
        shades[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(static_cast<int>(shade));
        if (n > 0) shade -= kStreakFade;
    }
    return shades;
}();

// From the drop's pixel towards where it was, at most 10 pixels, fading.
void drawStreak(FrameBuffer& f, int x0, int y0, int x1, int y1) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    constexpr int kReach = kLongestStreak - 1;
    if (x0 >= kReach && y0 >= kReach && x0 + kReach < f.viewWidth && y0 + kReach < f.viewHeight) {
        // Wholly on the screen: no pixel needs its own test.
        const std::ptrdiff_t rowStep = sy * static_cast<std::ptrdiff_t>(f.viewWidth);
        std::uint8_t* pixel = f.displayBits.data() + static_cast<std::ptrdiff_t>(y0) * f.viewWidth + x0;
        for (int n = 0; n < kLongestStreak; ++n) {
            wet(*pixel, kStreakShades[static_cast<std::size_t>(n)]);
            if (x0 == x1 && y0 == y1) return;
            const int twice = 2 * error;
            if (twice >= dy) error += dy, x0 += sx, pixel += sx;
            if (twice <= dx) error += dx, y0 += sy, pixel += rowStep;
        }
        return;
    }
    for (int n = 0; n < kLongestStreak; ++n) {
        if (x0 < 0 || y0 < 0 || x0 >= f.viewWidth || y0 >= f.viewHeight) return;
        wet(f.displayBits[static_cast<std::size_t>(y0) * static_cast<std::size_t>(f.viewWidth) + static_cast<std::size_t>(x0)],
            kStreakShades[static_cast<std::size_t>(n)]);
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
    // Drops go in batches: first each one's place on the screen, asking early
    // for the depth there, then the drawing, so the scattered depth reads overlap.
    constexpr int kBatch = 32;
    struct OnScreen {
        int drop;
        int x, y;
        std::size_t pixel;
        double w;
    };
    std::array<OnScreen, kBatch> batch;
    for (int first = 0; first < activeCount_; first += kBatch) {
        const int end = std::min(first + kBatch, activeCount_);
        int count = 0;
        for (int i = first; i < end; ++i) {
            const Vec3 c = transformPoint(drops_[static_cast<std::size_t>(i)].position, view);
            if (outcode(c) != 0) continue;
            const ProjectedPoint q = project(viewport, c);
            if (!(q.x > 1.0 && q.x < f.viewWidth - 2 && q.y > 1.0 && q.y < f.viewHeight - 2)) continue;
            const int px = static_cast<int>(q.x), py = static_cast<int>(q.y);
            const std::size_t k = static_cast<std::size_t>(py) * width + static_cast<std::size_t>(px);
            __builtin_prefetch(&f.depthBuffer[k]);
            batch[static_cast<std::size_t>(count++)] = {i, px, py, k, q.w};
        }
        for (int n = 0; n < count; ++n) {
            const OnScreen& s = batch[static_cast<std::size_t>(n)];
            if (!(s.w - 0.0003 <= f.depthBuffer[s.pixel])) continue;
            for (const std::size_t at : {s.pixel, s.pixel - 1, s.pixel + 1, s.pixel - width, s.pixel + width})
                wet(f.displayBits[at], kDropColour);
            const Vec3 was = transformPoint(drops_[static_cast<std::size_t>(s.drop)].previousPosition, view);
            if (outcode(was) != 0) continue;
            const ProjectedPoint p = project(viewport, was);
            drawStreak(f, s.x, s.y, static_cast<int>(p.x), static_cast<int>(p.y));
        }
    }
}

}  // namespace vellacor
