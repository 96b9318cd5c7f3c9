#include "render/texture.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/ui.h"

namespace vellacor {

namespace {

// Larger images are no surface texture or logo; refusing them bounds memory.
constexpr std::int64_t kLargestImagePixels = 1 << 26;
constexpr long kLargestFile = 256L << 20;
// RLE8 codes draw at most 255 pixels per two bytes; a compressed image much
// larger than that (left blank by skip codes) would let a few bytes claim
// hundreds of megabytes and the time to clear them.
constexpr std::size_t kMostRlePixelsPerByte = 255;

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// RLE8 pixel data into bottom-up rows; false when the codes run past the data.
bool decodeRle8(const std::vector<std::uint8_t>& file, std::size_t pos, int width, int height,
                std::vector<std::uint8_t>& rows) {
    int x = 0, y = 0;
    auto put = [&](std::uint8_t v) {
        if (x < width && y < height) rows[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = v;
        ++x;
    };
    while (pos + 1 < file.size()) {
        const std::uint8_t count = file[pos], value = file[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(value);
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (pos + 1 >= file.size()) return false;
            x += file[pos];
            y += file[pos + 1];
            pos += 2;
        } else {  // a literal run, padded to an even length
            if (pos + value > file.size()) return false;
            for (int i = 0; i < value; ++i) put(file[pos + static_cast<std::size_t>(i)]);
            pos += value + (value & 1);
        }
        if (y > height) return false;
    }
    return true;  // data ended without the end-of-bitmap code: keep what was drawn
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readBmpFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<std::uint8_t> data;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && size <= kLargestFile && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        data.resize(static_cast<std::size_t>(size));
        ok = std::fread(data.data(), 1, data.size(), f) == data.size();
    }
    std::fclose(f);
    if (!ok || data.size() < 26 || data[0] != 'B' || data[1] != 'M' || le32(data, 2) != data.size()) return std::nullopt;
    return data;
}

std::optional<Texture> decodeBmp8(const std::vector<std::uint8_t>& file, int* bitCount) {
    if (file.size() < 26) return std::nullopt;
    const std::uint32_t headerSize = le32(file, 14);
    const bool os2 = headerSize == 12;
    if (!os2 && (headerSize < 40 || 14 + static_cast<std::size_t>(headerSize) > file.size())) return std::nullopt;
    const std::int64_t width = os2 ? le16(file, 18) : static_cast<std::int32_t>(le32(file, 18));
    const std::int64_t rawHeight = os2 ? le16(file, 20) : static_cast<std::int32_t>(le32(file, 22));
    const int bits = os2 ? le16(file, 24) : le16(file, 28);
    if (bitCount) *bitCount = bits;
    if (bits != 8) return std::nullopt;
    const std::uint32_t compression = os2 ? 0 : le32(file, 30);
    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -rawHeight : rawHeight;
    if (width <= 0 || height <= 0 || width * height > kLargestImagePixels) return std::nullopt;
    if (compression != 0 && compression != 1) return std::nullopt;

    Texture t;
    t.width = static_cast<int>(width);
    t.height = static_cast<int>(height);
    // The colour table: as many entries as the header says (0 means 256);
    // entries it does not give stay black.
    const std::size_t entrySize = os2 ? 3 : 4;
    std::size_t colours = os2 ? 256 : le32(file, 46);
    if (colours == 0 || colours > 256) colours = 256;
    const std::size_t tableAt = 14 + headerSize;
    for (std::size_t i = 0; i < colours && tableAt + i * entrySize + 3 <= file.size(); ++i) {
        const std::size_t e = tableAt + i * entrySize;
        t.palette[i] = static_cast<std::uint32_t>(file[e + 2]) | (static_cast<std::uint32_t>(file[e + 1]) << 8) |
                       (static_cast<std::uint32_t>(file[e]) << 16);
    }

    const std::size_t dataAt = le32(file, 10);
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    // Uncompressed rows must all be in the file: checked before the image is
    // allocated, so a short file cannot ask for a large one.
    const std::size_t stride = (w * 8 + 31) / 32 * 4;
    if (compression == 0 && (dataAt > file.size() || (file.size() - dataAt) / stride < h)) return std::nullopt;
    if (compression == 1 && (topDown || dataAt >= file.size() || w * h > kMostRlePixelsPerByte * file.size()))
        return std::nullopt;
    std::vector<std::uint8_t> rows(w * h, 0);  // in file order
    if (compression == 0) {
        for (std::size_t y = 0; y < h; ++y) std::memcpy(rows.data() + y * w, file.data() + dataAt + y * stride, w);
    } else {
        if (!decodeRle8(file, dataAt, t.width, t.height, rows)) return std::nullopt;
    }
    t.pixels.resize(w * h);
    for (std::size_t y = 0; y < h; ++y) {
        const std::size_t from = topDown ? y : h - 1 - y;  // bottom-up files store the bottom row first
        std::memcpy(t.pixels.data() + y * w, rows.data() + from * w, w);
    }
    return t;
}

bool loadTexture(Texture& texture, Ui& ui, const std::string& path) {
    const auto file = readBmpFile(path);
    if (!file) return false;
    int bits = 0;
    auto decoded = decodeBmp8(*file, &bits);
    if (bits != 8) {
        ui.message("The file:\n" + path + "\nis not a 256 color image, and will not be used.");
        return false;
    }
    if (!decoded) return false;
    texture = std::move(*decoded);
    return true;
}

void makeRadialTexture(Texture& texture) {
    texture.width = texture.height = 500;
    texture.pixels.assign(500 * 500, 0);
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 500; ++x) {
            const double r = std::hypot(x - 250.0, y - 250.0);
            double v = 1.0 - 0.004 * r;
            v = v < 0 ? 0 : v > 1 ? 1 : v;
            texture.pixels[static_cast<std::size_t>(y) * 500 + static_cast<std::size_t>(x)] =
                static_cast<std::uint8_t>(16 + static_cast<int>(215 * v));
        }
}

void stretchImage(const Texture& image, std::uint8_t* frame, int width, int height, int pitch) {
    if (!image.loaded() || width <= 0 || height <= 0) return;
    // Nearest texel, truncated coordinates: the image fills the whole frame.
    std::vector<int> column(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        column[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<std::int64_t>(x) * image.width / width);
    for (int y = 0; y < height; ++y) {
        const int ty = static_cast<int>(static_cast<std::int64_t>(y) * image.height / height);
        const std::uint8_t* src = image.pixels.data() + static_cast<std::size_t>(ty) * static_cast<std::size_t>(image.width);
        std::uint8_t* row = frame + static_cast<std::ptrdiff_t>(y) * pitch;
        for (int x = 0; x < width; ++x) row[x] = src[column[static_cast<std::size_t>(x)]];
    }
}

}  // namespace vellacor
