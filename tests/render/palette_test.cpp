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

TEST(Palette, FixedColoursAndWaterRampAreTheSameInEveryPalette) {
    for (int p = 0; p < kPaletteCount; ++p) {
        const Palette pal = built(static_cast<PaletteChoice>(p));
        EXPECT_EQ(colourOf(pal, 0), (Colour{0, 0, 0}));
        EXPECT_EQ(colourOf(pal, 7), (Colour{255, 255, 255}));  // the background
        EXPECT_EQ(colourOf(pal, 8), (Colour{134, 134, 134}));
        EXPECT_EQ(colourOf(pal, 11), (Colour{255, 102, 102}));
        EXPECT_EQ(colourOf(pal, 14), (Colour{153, 0, 0}));
        EXPECT_EQ(pal[250], pal[37]);  // minor contours
        EXPECT_EQ(colourOf(pal, 251), (Colour{126, 5, 23}));
        EXPECT_EQ(colourOf(pal, 252), (Colour{52, 114, 53}));
        // Water: from a dull blue-grey to a bright blue, bluer at every step.
        EXPECT_EQ(colourOf(pal, 230), (Colour{128, 128, 156}));
        EXPECT_EQ(colourOf(pal, 249), (Colour{29, 29, 251}));
        for (int i = 231; i <= 249; ++i) {
            const Colour a = colourOf(pal, i - 1), b = colourOf(pal, i);
            EXPECT_TRUE(b.red == b.green && b.red <= a.red && b.blue >= a.blue && b.blue - b.red > a.blue - a.red) << i;
        }
    }
}

TEST(Palette, SurfaceRampsRunDarkToLightInTheirOwnColours) {
    using enum PaletteChoice;
    const Palette grey = built(Grey), cool = built(CoolGrey), earth = built(Earth), purple = built(Purple),
                  rainbow = built(Rainbow);
    EXPECT_EQ(colourOf(grey, 16), (Colour{0, 0, 0}));
    EXPECT_EQ(colourOf(grey, 116), (Colour{175, 175, 175}));  // brightened for the screen: the middle is light
    EXPECT_EQ(colourOf(grey, 229), (Colour{255, 255, 255}));
    for (int i = 17; i <= 229; ++i) {
        const Colour c = colourOf(grey, i);
        EXPECT_TRUE(c.red == c.green && c.green == c.blue && c.red >= colourOf(grey, i - 1).red) << i;
    }
    EXPECT_EQ(colourOf(cool, 16), (Colour{78, 78, 78}));
    EXPECT_EQ(colourOf(cool, 229), (Colour{255, 255, 255}));
    EXPECT_EQ(colourOf(earth, 116), (Colour{213, 194, 174}));  // a light brown
    // Black through purple (no green until past the ramp's 138th entry) to white.
    EXPECT_EQ(colourOf(purple, 16), (Colour{0, 0, 0}));
    const Colour mid = colourOf(purple, 16 + 100);
    EXPECT_TRUE(mid.red == mid.blue && mid.red > 100 && mid.green == 0);
    EXPECT_EQ(colourOf(purple, 16 + 138).green, 0);
    EXPECT_GT(colourOf(purple, 16 + 139).green, 0);
    EXPECT_EQ(colourOf(purple, 229), (Colour{255, 253, 255}));  // all but white
    // Deep blue to dark red.
    EXPECT_EQ(colourOf(rainbow, 16), (Colour{0, 0, 191}));
    EXPECT_EQ(colourOf(rainbow, 229), (Colour{183, 0, 0}));
}

// The source tables rise through every channel between their pauses (the
// earth table's first and last few entries excepted).
TEST(Palette, SourceTablesRiseInEveryChannel) {
    const auto& earth = paletteSourceTable(PaletteChoice::Earth);
    EXPECT_EQ(earth[22], earth[21]);  // the brown pauses at a few entries
    EXPECT_EQ(earth[129], earth[128]);
    auto rising = [](const Palette& t, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            if (redOf(t[i]) < redOf(t[i - 1]) || greenOf(t[i]) < greenOf(t[i - 1]) || blueOf(t[i]) < blueOf(t[i - 1]))
                return false;
        return true;
    };
    EXPECT_TRUE(rising(paletteSourceTable(PaletteChoice::CoolGrey), 1, 256));
    EXPECT_TRUE(rising(earth, 5, 250));
}

}  // namespace
}  // namespace vellacor
