#include "render/palette.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vellacor {
namespace {

int screenChannel(double c) { return static_cast<int>(std::trunc(std::sqrt(c / 255.0) * 255.0 + 0.5)); }

TEST(Palette, FixedColoursAndWaterRampAreTheSameInEveryPalette) {
    for (int p = 0; p < kPaletteCount; ++p) {
        Palette pal;
        buildPalette(p, pal);
        EXPECT_EQ(pal[0], rgb(0, 0, 0));
        EXPECT_EQ(pal[7], rgb(255, 255, 255));
        EXPECT_EQ(pal[8], rgb(134, 134, 134));
        EXPECT_EQ(pal[11], rgb(255, 102, 102));
        EXPECT_EQ(pal[14], rgb(153, 0, 0));
        EXPECT_EQ(pal[250], pal[37]);
        EXPECT_EQ(pal[251], rgb(126, 5, 23));
        EXPECT_EQ(pal[252], rgb(52, 114, 53));
        const int dull = screenChannel(64.0), blueGrey = screenChannel(96.0);
        EXPECT_EQ(pal[230], rgb(dull, dull, blueGrey));
        const int lastGrey = static_cast<int>(std::trunc(std::sqrt(0.25098039215686274 * 0.05) * 255 + 0.5));
        const int lastBlue =
            static_cast<int>(std::trunc(std::sqrt(0.3764705882352941 + 0.6235294117647059 * 0.95) * 255 + 0.5));
        EXPECT_EQ(pal[249], rgb(lastGrey, lastGrey, lastBlue));
    }
}

TEST(Palette, SurfaceRampsFollowTheirSources) {
    Palette grey, purple, earth, rainbow;
    buildPalette(0, grey);
    buildPalette(3, purple);
    buildPalette(2, earth);
    buildPalette(4, rainbow);
    for (int j : {0, 1, 100, 213}) {
        const int c = screenChannel(j * 1.1962616822429906);
        EXPECT_EQ(grey[static_cast<std::size_t>(16 + j)], rgb(c, c, c)) << j;
    }
    EXPECT_EQ(greenOf(purple[16 + 138]), 0);
    EXPECT_GT(greenOf(purple[16 + 139]), 0);
    // Ramp entry 16 + j samples source entry trunc(j * 256 / 214).
    const auto& earthSource = paletteSourceTable(2);
    const std::uint32_t s = earthSource[static_cast<std::size_t>(static_cast<int>(100 * 1.1962616822429906))];
    EXPECT_EQ(earth[116], rgb(screenChannel(redOf(s)), screenChannel(greenOf(s)), screenChannel(blueOf(s))));
    EXPECT_EQ(rainbow[16], rgb(0, 0, screenChannel(143)));
}

TEST(Palette, SourceTablesPassThroughTheirKeyRows) {
    struct Row {
        int palette, index, red, green, blue;
    };
    const Row rows[] = {
        {1, 0, 24, 24, 24},      {1, 16, 41, 49, 57},     {1, 32, 66, 74, 99},     {1, 64, 115, 115, 148},
        {1, 96, 165, 173, 206},  {1, 128, 222, 222, 247}, {1, 136, 247, 239, 255}, {1, 140, 255, 255, 255},
        {2, 1, 43, 28, 14},      {2, 4, 66, 36, 7},       {2, 197, 255, 225, 196}, {2, 249, 255, 230, 205},
        {2, 254, 255, 242, 233}, {4, 0, 0, 0, 143},       {4, 28, 0, 0, 255},      {4, 93, 0, 255, 255},
        {4, 158, 255, 255, 0},   {4, 223, 255, 0, 0},     {4, 255, 128, 0, 0}};
    for (const Row& r : rows)
        EXPECT_EQ(paletteSourceTable(r.palette)[static_cast<std::size_t>(r.index)], rgb(r.red, r.green, r.blue))
            << r.palette << " " << r.index;
    const auto& cool = paletteSourceTable(1);
    const auto& earth = paletteSourceTable(2);
    EXPECT_EQ(earth[22], earth[21]);  // the brown pauses at a few entries
    EXPECT_EQ(earth[129], earth[128]);

    // Between the key rows every channel rises (the earth table's first and last few entries excepted).
    auto rising = [](const Palette& t, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
            if (redOf(t[i]) < redOf(t[i - 1]) || greenOf(t[i]) < greenOf(t[i - 1]) || blueOf(t[i]) < blueOf(t[i - 1]))
                return false;
        return true;
    };
    EXPECT_TRUE(rising(cool, 1, 256));
    EXPECT_TRUE(rising(earth, 5, 250));
}

}  // namespace
}  // namespace vellacor
