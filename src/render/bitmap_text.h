#pragma once
#include <string_view>

#include "platform/ui.h"
#include "render/rgb_image.h"

namespace vellacor {

// Draws the program's on-screen text into the finished picture with the
// built-in bitmap fonts. The window and the command-line renderer both use
// it, so they produce the same pixels. A font height of 30 or more selects
// the large font; anything else the small one.
class BitmapTextPainter : public TextPainter {
public:
    explicit BitmapTextPainter(RgbImage& image) : image_(image) {}

    void text(int x, int y, const std::string& s, ColorRef colour, TextAlign align = TextAlign::Left,
              int fontHeight = 0, bool opaque = false, ColorRef background = 0) override;
    int lineHeight(int fontHeight = 0) const override;
    int averageCharWidth(int fontHeight = 0) const override;

    // Width in pixels of `s` in the font chosen by `fontHeight`.
    int textWidth(std::string_view s, int fontHeight = 0) const;

private:
    RgbImage& image_;
};

}  // namespace vellacor
