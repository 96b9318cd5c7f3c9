#pragma once
#include <string>
#include <vector>

#include "platform/ui.h"

namespace vellacor {

// One piece of on-screen text. The frame is composed in palette indices
// first; the text is drawn over the finished colour picture afterwards, in
// the order the items were added.
struct OverlayText {
    int x = 0;
    int y = 0;
    std::string text;
    ColorRef colour = 0;
    TextAlign align = TextAlign::Left;
    int fontHeight = 0;  // 0: the small font; 30: the large one
    bool opaque = false;
    ColorRef background = 0xFFFFFF;
};

using OverlayTextList = std::vector<OverlayText>;

inline void paintOverlayText(TextPainter& painter, const OverlayTextList& items) {
    for (const OverlayText& t : items)
        painter.text(t.x, t.y, t.text, t.colour, t.align, t.fontHeight, t.opaque, t.background);
}

// Line height and average character width of the small font, which the
// overlay's layout follows.
struct TextMetrics {
    int lineHeight = 17;
    int averageCharWidth = 8;
};

TextMetrics smallFontMetrics();

}  // namespace vellacor
