#include "render/rgb_image.h"

#include <unordered_map>

namespace vellacor {

void paletteToRgb(const std::uint8_t* indices, int width, int height, int pitch, const Palette& palette,
                  RgbImage& out) {
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::uint32_t lookup[256];
    for (int i = 0; i < 256; ++i) lookup[i] = rgbFromColorRef(palette[static_cast<std::size_t>(i)]);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = indices + static_cast<std::ptrdiff_t>(y) * pitch;
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x) dst[x] = lookup[src[x]];
    }
}

std::optional<IndexedImage> indexColours(const RgbImage& image, const Palette& framePalette) {
    IndexedImage out{image.width, image.height, {}, std::vector<std::uint32_t>(256)};
    std::unordered_map<std::uint32_t, int> indexOf;  // the first entry of each colour
    for (int i = 0; i < 256; ++i) {
        out.colours[static_cast<std::size_t>(i)] = rgbFromColorRef(framePalette[static_cast<std::size_t>(i)]);
        indexOf.emplace(out.colours[static_cast<std::size_t>(i)], i);
    }

    // Which entries the picture shows, and the colours the palette lacks, in order of appearance.
    bool used[256] = {};
    std::vector<std::uint32_t> added;
    // Runs of one colour are common: look a colour up only where it changes.
    const std::uint32_t none = image.pixels.empty() ? 0 : ~image.pixels.front();
    std::uint32_t previous = none;
    for (const std::uint32_t c : image.pixels) {
        if (c == previous) continue;
        previous = c;
        const auto [found, isNew] = indexOf.emplace(c, -1);  // -1: not in the frame's palette
        if (isNew) {
            added.push_back(c);
        } else if (found->second >= 0) {
            used[found->second] = true;
        }
    }

    // Free entries: repeats first, so the frame's distinct colours stay as long as there is room.
    std::vector<int> spare;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < 256; ++i) {
            const bool repeat = indexOf.at(out.colours[static_cast<std::size_t>(i)]) != i;
            if (!used[i] && repeat == (pass == 0)) spare.push_back(i);
        }
    if (added.size() > spare.size()) return std::nullopt;
    for (std::size_t k = 0; k < added.size(); ++k) {
        out.colours[static_cast<std::size_t>(spare[k])] = added[k];
        indexOf[added[k]] = spare[k];
    }

    out.indices.resize(image.pixels.size());
    int index = 0;
    previous = none;
    for (std::size_t p = 0; p < image.pixels.size(); ++p) {
        if (image.pixels[p] != previous) {
            previous = image.pixels[p];
            index = indexOf.at(previous);
        }
        out.indices[p] = static_cast<std::uint8_t>(index);
    }
    return out;
}

}  // namespace vellacor
