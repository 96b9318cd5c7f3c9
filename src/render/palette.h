#pragma once
#include <array>
#include <cstdint>

namespace vellacor {

// 256 entries of 0x00BBGGRR, as a Windows palette holds them.
using Palette = std::array<std::uint32_t, 256>;

inline constexpr std::uint32_t rgb(int red, int green, int blue) {
    return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
           (static_cast<std::uint32_t>(blue) << 16);
}
inline constexpr int redOf(std::uint32_t c) { return static_cast<int>(c & 0xFFu); }
inline constexpr int greenOf(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFFu); }
inline constexpr int blueOf(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFFu); }

// Palette indices the drawing code relies on.
inline constexpr int kBackgroundColour = 7;
inline constexpr int kSurfaceRampFirst = 16;
inline constexpr int kSurfaceRampLast = 229;
inline constexpr int kWaterRampFirst = 230;
inline constexpr int kWaterRampLast = 249;
inline constexpr int kMinorContourColour = 250;
inline constexpr int kMajorContourColour = 251;
inline constexpr int kTriangleOutlineColour = 252;
inline constexpr int kGridColour = 253;
inline constexpr int kVertexNormalColour = 255;

// The palettes, in the order the palette key steps through them (the command
// line numbers them so, from 0).
enum class PaletteChoice { Grey, CoolGrey, Earth, Purple, Rainbow };
inline constexpr int kPaletteCount = 5;

// The palette the key steps to from `p`: after the last comes the first.
inline PaletteChoice nextPalette(PaletteChoice p) {
    return static_cast<PaletteChoice>((static_cast<int>(p) + 1) % kPaletteCount);
}

// Writes palette `paletteIndex`: fixed drawing colours, the surface ramp, the
// water ramp and the contour and outline colours.
void buildPalette(PaletteChoice paletteIndex, Palette& palette);

// The 256-entry source colours of the cool grey, earth and rainbow palettes
// that the surface ramp samples (cool grey for the others).
const Palette& paletteSourceTable(PaletteChoice paletteIndex);

// The cut/fill view's colours: palette 0 with its surface ramp made
// diverging, deep blue (fill) at kSurfaceRampFirst through a pale cream at
// kCutFillZeroShade to deep red (cut) at kCutFillRampLast. Built once.
const Palette& cutFillPalette();
inline constexpr double kCutFillZeroShade = 115.5;
inline constexpr int kCutFillRampLast = 215;
inline constexpr int kCutFillNeutralColour = 8;  // mid grey: no comparison under the site here
inline constexpr int kCutFillZeroLineColour = 0;  // black
inline constexpr int kCutFillEdgeColour = 15;     // dark grey: where the comparison ends

}  // namespace vellacor
