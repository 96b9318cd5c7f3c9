#include "render/bitmap_text.h"

#include <vector>

#include "render/font_data.h"
#include "render/overlay_text.h"

namespace vellacor {

namespace {

const BitmapFont& fontFor(int fontHeight) { return bitmapFont(fontHeight >= 30 ? FontSize::Large : FontSize::Small); }

// UTF-8 text as code points; a byte that is not part of valid UTF-8 is taken
// as Latin-1, as survey files written on Windows often are.
std::vector<int> codePoints(std::string_view s) {
    std::vector<int> out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int extra = c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xF0 && c < 0xF5 ? 3 : 0;
        int code = c & (0x3F >> extra);
        bool valid = extra > 0;
        for (int k = 1; valid && k <= extra; ++k) {
            const std::size_t j = i + static_cast<std::size_t>(k);
            valid = j < s.size() && (static_cast<unsigned char>(s[j]) & 0xC0) == 0x80;
            if (valid) code = (code << 6) | (static_cast<unsigned char>(s[j]) & 0x3F);
        }
        out.push_back(valid ? code : c);
        i += valid ? static_cast<std::size_t>(extra) + 1 : 1;
    }
    return out;
}

const FontGlyph* glyphFor(const BitmapFont& font, int code) {
    // Glyphs are sorted by code: ASCII 32..126, then Latin-1 160..255.
    std::size_t lo = 0, hi = font.glyphCount;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (font.glyphs[mid].code < code)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo < font.glyphCount && font.glyphs[lo].code == code) return &font.glyphs[lo];
    return code == '?' ? nullptr : glyphFor(font, '?');
}

}  // namespace

int BitmapTextPainter::lineHeight(int fontHeight) const { return fontFor(fontHeight).height; }

int BitmapTextPainter::averageCharWidth(int fontHeight) const { return fontFor(fontHeight).averageCharWidth; }

int BitmapTextPainter::textWidth(std::string_view s, int fontHeight) const {
    const BitmapFont& font = fontFor(fontHeight);
    int width = 0;
    for (int code : codePoints(s))
        if (const FontGlyph* g = glyphFor(font, code)) width += g->width;
    return width;
}

void BitmapTextPainter::text(int x, int y, const std::string& s, ColorRef colour, TextAlign align, int fontHeight,
                             bool opaque, ColorRef background) {
    const BitmapFont& font = fontFor(fontHeight);
    const int width = textWidth(s, fontHeight);
    if (align == TextAlign::Centre) x -= width / 2;
    if (align == TextAlign::Right) x -= width;
    const std::uint32_t ink = rgbFromColorRef(colour);
    const std::uint32_t paper = rgbFromColorRef(background);
    auto put = [&](int px, int py, std::uint32_t c) {
        if (px < 0 || py < 0 || px >= image_.width || py >= image_.height) return;
        image_.pixels[static_cast<std::size_t>(py) * static_cast<std::size_t>(image_.width) +
                      static_cast<std::size_t>(px)] = c;
    };
    for (int code : codePoints(s)) {
        const FontGlyph* g = glyphFor(font, code);
        if (!g) continue;
        for (int row = 0; row < font.height; ++row) {
            for (int col = 0; col < g->width; ++col) {
                const int bit = g->offset + row * g->width + col;
                const bool on = (font.bits[bit >> 3] >> (bit & 7)) & 1;
                if (on)
                    put(x + col, y + row, ink);
                else if (opaque)
                    put(x + col, y + row, paper);
            }
        }
        x += g->width;
    }
}

}  // namespace vellacor

namespace vellacor {

TextMetrics smallFontMetrics() {
    const BitmapFont& font = bitmapFont(FontSize::Small);
    return {font.height, font.averageCharWidth};
}

}  // namespace vellacor
