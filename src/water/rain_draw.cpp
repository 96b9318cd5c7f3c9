#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstdlib>

#include "render/palette.h"
#include "render/frame_projection.h"
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
        // Wholly on the screen: no pixel needs its own test. Every step moves
        // one pixel along the longer axis, so the count is known at the start,
        // and which way each step goes is picked without a branch: a streak's
        // steps follow no pattern a branch could learn.
        const int steps = std::min(std::max(dx, -dy), kReach);
        const std::ptrdiff_t rowStep = sy * static_cast<std::ptrdiff_t>(f.viewWidth);
        std::uint8_t* pixel = f.displayBits.data() + static_cast<std::ptrdiff_t>(y0) * f.viewWidth + x0;
        wet(*pixel, kStreakShades[0]);
        for (int n = 1; n <= steps; ++n) {
            const int twice = 2 * error;
            const int alongX = -static_cast<int>(twice >= dy), alongY = -static_cast<int>(twice <= dx);
            error += (dy & alongX) + (dx & alongY);
            pixel += (sx & alongX) + (rowStep & static_cast<std::ptrdiff_t>(alongY));
            wet(*pixel, kStreakShades[static_cast<std::size_t>(n)]);
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

DropOnScreen screenPlaceOf(const RainDrop& drop, const Matrix& view, const Viewport& viewport,
                           const DropOnScreen* previous) {
    DropOnScreen place;
    place.x = DropOnScreen::kOffScreen;
    const Vec3 c = transformPoint(drop.position, view);
    if (outcode(c) != 0) return place;
    const ProjectedPoint q = project(viewport, c);
    if (!(q.x > 1.0 && q.x < viewport.width - 2 && q.y > 1.0 && q.y < viewport.height - 2)) return place;
    place.x = static_cast<int>(q.x);
    place.y = static_cast<int>(q.y);
    place.w = q.w;
    if (previous) {
        place.streakX = previous->x;
        place.streakY = previous->y;
        return place;
    }
    const Vec3 was = transformPoint(drop.previousPosition, view);
    if (outcode(was) == 0) {
        const ProjectedPoint p = project(viewport, was);
        place.streakX = static_cast<int>(p.x);
        place.streakY = static_cast<int>(p.y);
    }
    return place;
}

void RainSystem::Draw(FrameBuffer& f, const Matrix& view) const {
    if (!f.hasBuffers() || f.displayBits.size() < static_cast<std::size_t>(f.pixelCount())) return;
    const Viewport viewport = viewportOf(f);
    const auto width = static_cast<std::size_t>(f.viewWidth);
    // The places Step worked out serve when they are of this view and picture.
    const bool placed = placedFor(view, viewport);
    // Drops go in batches: first each one's place on the screen, asking early
    // for the depth there, then the drawing, so the scattered depth reads overlap.
    constexpr int kBatch = 32;
    struct OnScreen {
        DropOnScreen place;
        std::size_t pixel;
    };
    std::array<OnScreen, kBatch> batch;
    for (int first = 0; first < activeCount_; first += kBatch) {
        const int end = std::min(first + kBatch, activeCount_);
        int count = 0;
        for (int i = first; i < end; ++i) {
            const auto slot = static_cast<std::size_t>(i);
            DropOnScreen place = placed ? places_[slot] : DropOnScreen{};
            if (place.x == DropOnScreen::kUnplaced) place = screenPlaceOf(drops_[slot], view, viewport);
            if (place.x < 0) continue;
            const std::size_t k = static_cast<std::size_t>(place.y) * width + static_cast<std::size_t>(place.x);
            __builtin_prefetch(&f.depthBuffer[k]);
            batch[static_cast<std::size_t>(count++)] = {place, k};
        }
        for (int n = 0; n < count; ++n) {
            const OnScreen& s = batch[static_cast<std::size_t>(n)];
            if (!(s.place.w - 0.0003 <= f.depthBuffer[s.pixel])) continue;
            for (const std::size_t at : {s.pixel, s.pixel - 1, s.pixel + 1, s.pixel - width, s.pixel + width})
                wet(f.displayBits[at], kDropColour);
            if (s.place.streakX != DropOnScreen::kNoStreak)
                drawStreak(f, s.place.x, s.place.y, s.place.streakX, s.place.streakY);
        }
    }
}

}  // namespace vellacor
