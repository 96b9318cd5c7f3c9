// Feeds arbitrary bytes to the BMP decoder used for surface textures and the
// start picture, and checks that what it accepts is a whole image.
#include <cstdint>
#include <vector>

#include "render/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> file(data, data + size);
    int bits = 0;
    const auto texture = vellacor::decodeBmp8(file, &bits);
    if (texture) {
        if (bits != 8 || !texture->loaded()) __builtin_trap();
        const auto pixels = static_cast<std::size_t>(texture->width) * static_cast<std::size_t>(texture->height);
        if (texture->pixels.size() != pixels) __builtin_trap();
        volatile std::uint8_t corner = texture->at(texture->width - 1, texture->height - 1);
        (void)corner;
    }
    return 0;
}
