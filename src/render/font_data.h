#pragma once
#include <cstddef>

namespace vellacor {

struct FontGlyph {
    int code;    // Unicode code point (Latin-1 range)
    int width;   // advance in pixels
    int offset;  // first bit of its rows in the font's bit array
};

// A one-bit font: each glyph is `height` rows of `width` bits, row after row.
struct BitmapFont {
    int height;            // line height in pixels
    int averageCharWidth;  // mean advance of the glyphs
    const FontGlyph* glyphs;
    std::size_t glyphCount;
    const unsigned char* bits;
};

enum class FontSize { Small, Large };

const BitmapFont& bitmapFont(FontSize size);

}  // namespace vellacor
