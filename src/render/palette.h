#pragma once
#include <array>
#include <cstdint>

namespace vellacor {

// 256 entries of 0x00BBGGRR, as a Windows palette holds them.
using Palette = std::array<std::uint32_t, 256>;

// Placeholder until the renderer's palettes land: a grey ramp.
inline void buildPalette(int /*paletteIndex*/, Palette& palette) {
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = i | (i << 8) | (i << 16);
}

}  // namespace vellacor
