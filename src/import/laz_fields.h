#pragma once
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "import/laz_arithmetic.h"

// What the item decoders share: a record's fields read and written in place
// (LAZ, like LAS, is little-endian, as is every machine this runs on), sums
// and products that wrap as the encoder's fixed-width arithmetic does, and
// models made on first use.
namespace vellacor::laz {

template <typename T>
T load(const std::uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}
template <typename T>
void store(std::uint8_t* at, T value) {
    std::memcpy(at, &value, sizeof value);
}

inline std::int32_t wrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t wrappingTimes(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

// A symbol model made the first time a context (a previous byte value) needs it.
class LazySymbolModels {
public:
    explicit LazySymbolModels(std::uint32_t symbols) : symbols_(symbols) {}
    SymbolModel& at(std::uint8_t context) {
        auto& model = models_[context];
        if (!model) model = std::make_unique<SymbolModel>(symbols_);
        return *model;
    }

private:
    std::uint32_t symbols_;
    std::array<std::unique_ptr<SymbolModel>, 256> models_;
};

}  // namespace vellacor::laz
