#pragma once
#include <array>
#include <cstdint>

namespace vellacor {

// One palette entry laid out as a Windows colour table holds it: blue, green, red, 0.
struct PaletteEntry {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

using Palette = std::array<PaletteEntry, 256>;

inline constexpr PaletteEntry rgb(int red, int green, int blue) {
    return {static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green), static_cast<std::uint8_t>(red), 0};
}

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
inline constexpr int kPaletteCount = 5;

// Writes palette `paletteIndex` (0 grey, 1 cool grey, 2 earth, 3 purple,
// 4 rainbow): fixed drawing colours, the surface ramp, the water ramp and the
// contour and outline colours.
void buildPalette(int paletteIndex, Palette& palette);

// The 256-entry source colours of palettes 1, 2 and 4 that the surface ramp samples.
const std::array<PaletteEntry, 256>& paletteSourceTable(int paletteIndex);

}  // namespace vellacor
