#include "render/palette.h"

#include <algorithm>
#include <cmath>

namespace vellacor {

namespace {

constexpr double kRampStep = 1.1962616822429906;  // 256/214: ramp position to source index

constexpr std::uint32_t kFixedColours[15] = {
    rgb(0, 0, 0),   rgb(255, 0, 0),     rgb(255, 255, 0),   rgb(0, 255, 0),     rgb(0, 255, 255),
    rgb(0, 0, 255), rgb(255, 0, 255),   rgb(255, 255, 255), rgb(134, 134, 134), rgb(187, 187, 187),
    rgb(255, 0, 0), rgb(255, 102, 102), rgb(204, 0, 0),     rgb(204, 102, 102), rgb(153, 0, 0),
};

// Brightens a channel for the screen: the ramp is spaced by the square root.
int gammaChannel(double c) {
    const double v = std::trunc(std::sqrt(std::max(c, 0.0) / 255.0) * 255.0 + 0.5);
    return static_cast<int>(std::min(v, 255.0));
}

std::uint32_t gammaEntry(double red, double green, double blue) {
    return rgb(gammaChannel(red), gammaChannel(green), gammaChannel(blue));
}

std::uint32_t rampSource(PaletteChoice paletteIndex, int j) {
    using enum PaletteChoice;
    const double c = j * kRampStep;
    if (paletteIndex == Purple) {
        const double green = j > 138.6 ? (j - 138.6) * 2.81413612565445 * kRampStep : 0.0;
        return gammaEntry(c, green, c);
    }
    if (paletteIndex == CoolGrey || paletteIndex == Earth || paletteIndex == Rainbow) {
        // The last ramp step lands on 256 after rounding; it belongs to the water ramp anyway.
        const int k = std::min(static_cast<int>(c), 255);
        const std::uint32_t s = paletteSourceTable(paletteIndex)[static_cast<std::size_t>(k)];
        return gammaEntry(redOf(s), greenOf(s), blueOf(s));
    }
    return gammaEntry(c, c, c);
}

std::uint32_t blend(const int (&from)[3], const int (&to)[3], double t) {
    const auto channel = [&](int k) { return static_cast<int>(std::lround(from[k] + (to[k] - from[k]) * t)); };
    return rgb(channel(0), channel(1), channel(2));
}

Palette makeCutFillPalette() {
    constexpr int kZero[3] = {246, 241, 214};
    constexpr int kDeepFill[3] = {25, 60, 150};
    constexpr int kDeepCut[3] = {165, 25, 25};
    Palette palette{};
    buildPalette(PaletteChoice::Grey, palette);
    constexpr double half = kCutFillZeroShade - kSurfaceRampFirst;
    for (int i = kSurfaceRampFirst; i <= kSurfaceRampLast; ++i) {
        const double t = std::clamp((i + 0.5 - kCutFillZeroShade) / half, -1.0, 1.0);
        palette[static_cast<std::size_t>(i)] = t < 0 ? blend(kZero, kDeepFill, -t) : blend(kZero, kDeepCut, t);
    }
    return palette;
}

}  // namespace

const Palette& cutFillPalette() {
    static const Palette palette = makeCutFillPalette();
    return palette;
}

void buildPalette(PaletteChoice paletteIndex, Palette& palette) {
    for (int i = 0; i < 15; ++i) palette[static_cast<std::size_t>(i)] = kFixedColours[i];
    // Entries the builder has no colour of its own for: a dark grey, the grid's
    // light grey, an orange and the magenta of the vertex normals.
    palette[15] = rgb(64, 64, 64);
    palette[kGridColour] = rgb(170, 170, 170);
    palette[254] = rgb(255, 128, 0);
    palette[kVertexNormalColour] = rgb(255, 0, 255);

    for (int j = 0; j <= 214; ++j)
        palette[static_cast<std::size_t>(kSurfaceRampFirst + j)] = rampSource(paletteIndex, j);

    for (int i = 0; i < 20; ++i) {
        const double t = 0.05 * i;
        const double grey = std::trunc(std::sqrt(0.25098039215686274 * (1.0 - t)) * 255.0 + 0.5);
        const double blue = std::trunc(std::sqrt(0.3764705882352941 + 0.6235294117647059 * t) * 255.0 + 0.5);
        palette[static_cast<std::size_t>(kWaterRampFirst + i)] =
            rgb(static_cast<int>(grey), static_cast<int>(grey), static_cast<int>(std::min(blue, 255.0)));
    }
    palette[kMinorContourColour] = palette[37];
    palette[kMajorContourColour] = rgb(126, 5, 23);
    palette[kTriangleOutlineColour] = rgb(52, 114, 53);
}

}  // namespace vellacor
