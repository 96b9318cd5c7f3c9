#include "render/palette.h"

#include <gtest/gtest.h>

#include <ostream>

namespace vellacor {
namespace {

// Entry `index` as (red, green, blue), easier to read in a failure than 0x00BBGGRR.
struct Colour {
    int red, green, blue;
    bool operator==(const Colour&) const = default;
};
Colour colourOf(const Palette& p, int index) {
    const std::uint32_t c = p[static_cast<std::size_t>(index)];
    return {redOf(c), greenOf(c), blueOf(c)};
}
void PrintTo(const Colour& c, std::ostream* os) { *os << "(" << c.red << ", " << c.green << ", " << c.blue << ")"; }

Palette built(PaletteChoice choice) {
    Palette p;
    buildPalette(choice, p);
    return p;
}

// Only the surface ramp (16..229) and the minor contours drawn in one of its
// colours change with the palette chosen.
TEST(Palette, FixedColoursAndWaterRampAreTheSameInEveryPalette) {
    const Palette first = built(PaletteChoice::Grey);
    EXPECT_EQ(colourOf(first, 7), (Colour{255, 255, 255}));  // the background
    EXPECT_EQ(first[250], first[37]);
    // Water: from a dull blue-grey to a bright blue, bluer at every step.
    for (int i = 231; i <= 249; ++i) {
        const Colour a = colourOf(first, i - 1), b = colourOf(first, i);
        EXPECT_TRUE(b.red == b.green && b.red <= a.red && b.blue >= a.blue && b.blue - b.red > a.blue - a.red) << i;
    }
    for (int p = 1; p < kPaletteCount; ++p) {
        const Palette pal = built(static_cast<PaletteChoice>(p));
        for (int i = 0; i < 256; ++i) {
            if (i >= 16 && (i <= 229 || i == 250)) continue;
            EXPECT_EQ(colourOf(pal, i), colourOf(first, i)) << p << " " << i;
        }
    }
}

// Every ramp runs from one end to the other without turning back; the grey
// is brightened for the screen, purple takes no green until near its top,
// and the rainbow runs from deep blue to dark red.
TEST(Palette, SurfaceRampsRunTheirWayInTheirOwnColours) {
    using enum PaletteChoice;
    const Palette grey = built(Grey), purple = built(Purple), rainbow = built(Rainbow);
    EXPECT_EQ(colourOf(grey, 16), (Colour{0, 0, 0}));
    EXPECT_GT(colourOf(grey, 116).red, 160);  // the middle is light
    EXPECT_EQ(colourOf(grey, 229), (Colour{255, 255, 255}));
    for (int i = 17; i <= 229; ++i) {
        const Colour c = colourOf(grey, i);
        EXPECT_TRUE(c.red == c.green && c.green == c.blue && c.red >= colourOf(grey, i - 1).red) << i;
    }
    const Colour mid = colourOf(purple, 16 + 100);
    EXPECT_TRUE(mid.red == mid.blue && mid.red > 100 && mid.green == 0);
    EXPECT_EQ(colourOf(purple, 16 + 138).green, 0);
    EXPECT_GT(colourOf(purple, 16 + 139).green, 0);
    EXPECT_GT(colourOf(rainbow, 16).blue, colourOf(rainbow, 16).red);
    EXPECT_GT(colourOf(rainbow, 229).red, colourOf(rainbow, 229).blue);

    // The source tables rise through every channel (the earth table's first
    // and last few entries excepted).
    auto rising = [](const Palette& t, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            if (redOf(t[i]) < redOf(t[i - 1]) || greenOf(t[i]) < greenOf(t[i - 1]) || blueOf(t[i]) < blueOf(t[i - 1]))
                return false;
        return true;
    };
    EXPECT_TRUE(rising(paletteSourceTable(CoolGrey), 1, 256));
    EXPECT_TRUE(rising(paletteSourceTable(Earth), 5, 250));
}

}  // namespace
}  // namespace vellacor
