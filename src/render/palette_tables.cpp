#include <cmath>

#include "render/palette.h"

namespace vellacor {

namespace {

using SourceTable = Palette;

struct KeyRow {
    int index;
    int red, green, blue;
};

// Linear run of every channel between key rows, rounded to whole values.
double lerp(double a, double b, double t) { return a + (b - a) * t; }

template <std::size_t N>
void fillBetweenKeys(const KeyRow (&keys)[N], int (*quantise)(double), SourceTable& table) {
    for (std::size_t k = 0; k + 1 < N; ++k) {
        const KeyRow& a = keys[k];
        const KeyRow& b = keys[k + 1];
        for (int i = a.index; i <= b.index; ++i) {
            const double t = static_cast<double>(i - a.index) / (b.index - a.index);
            table[static_cast<std::size_t>(i)] =
                rgb(quantise(lerp(a.red, b.red, t)), quantise(lerp(a.green, b.green, t)),
                    quantise(lerp(a.blue, b.blue, t)));
        }
    }
}

// Cool grey: a 5-bit-per-channel ramp (hence the steps of about 8), blue leading.
// Keys are in 5-bit units; a 5-bit value v shows as (v << 3) | (v >> 2).
int expandFiveBits(double v) {
    const int q = static_cast<int>(std::lround(v));
    return (q << 3) | (q >> 2);
}

SourceTable makeCoolGrey() {
    static const KeyRow keys[] = {{0, 3, 3, 3},      {16, 5, 6, 7},     {32, 8, 9, 12},
                                  {64, 14, 14, 18},  {96, 20, 21, 25},  {128, 27, 27, 30},
                                  {136, 30, 29, 31}, {140, 31, 31, 31}, {255, 31, 31, 31}};
    SourceTable t;
    fillBetweenKeys(keys, expandFiveBits, t);
    return t;
}

int roundToInt(double v) { return static_cast<int>(std::lround(v)); }

// Earth: a brown that brightens one step per entry (red = green + 30,
// blue = green - 29), pausing at a few entries, then a slow rise to cream.
SourceTable makeEarth() {
    SourceTable t;
    t[0] = rgb(0, 0, 0);
    t[1] = rgb(43, 28, 14);
    t[2] = rgb(57, 35, 16);
    t[3] = rgb(65, 35, 6);
    t[4] = rgb(66, 36, 7);
    for (int i = 5; i <= 197; ++i) {
        const bool pause = i == 22 || i == 47 || i == 66 || i == 129;
        const int g = greenOf(t[static_cast<std::size_t>(i - 1)]) + (pause ? 0 : 1);
        t[static_cast<std::size_t>(i)] = rgb(g + 30, g, g - 29);
    }
    static const KeyRow cream[] = {{197, 255, 225, 196}, {249, 255, 230, 205}};
    fillBetweenKeys(cream, roundToInt, t);
    t[250] = rgb(255, 229, 205);
    t[251] = rgb(255, 231, 209);
    t[252] = rgb(255, 233, 214);
    t[253] = rgb(255, 233, 217);
    t[254] = rgb(255, 242, 233);
    t[255] = rgb(255, 255, 255);
    return t;
}

// Rainbow: dark blue through cyan, yellow and red to dark red.
SourceTable makeRainbow() {
    static const KeyRow keys[] = {{0, 0, 0, 143},     {28, 0, 0, 255},  {93, 0, 255, 255},
                                  {158, 255, 255, 0}, {223, 255, 0, 0}, {255, 128, 0, 0}};
    SourceTable t;
    fillBetweenKeys(keys, roundToInt, t);
    return t;
}

}  // namespace

const Palette& paletteSourceTable(PaletteChoice paletteIndex) {
    static const SourceTable coolGrey = makeCoolGrey();
    static const SourceTable earth = makeEarth();
    static const SourceTable rainbow = makeRainbow();
    if (paletteIndex == PaletteChoice::Earth) return earth;
    if (paletteIndex == PaletteChoice::Rainbow) return rainbow;
    return coolGrey;
}

}  // namespace vellacor
