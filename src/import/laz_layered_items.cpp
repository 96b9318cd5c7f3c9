// The items of layered records that follow the point: colours (with or
// without near infrared), extra bytes and wave packets. Each keeps a last
// record per scanner channel, switching channel when the point item does.
#include <array>
#include <optional>
#include <vector>

#include "import/laz_layered.h"

namespace vellacor::laz {

namespace layered {

namespace {

// The last record an item predicts from once the point item has chosen the
// channel `context`. A channel not seen yet in the chunk opens with the last
// record of the channel before. On returning to a channel already seen,
// version 3 coders went on predicting from (and storing into) the previous
// channel's record for that one point; version 4 uses the channel's own.
// Files hold what their coder did, so both are followed.
template <typename Channel, typename... Args>
std::uint8_t* follow(std::array<std::optional<Channel>, kChannels>& channels, std::uint32_t& current,
                     std::uint32_t context, bool ownRecordOnReturn, const Args&... args) {
    std::uint8_t* last = channels[current]->last();
    context %= kChannels;
    if (context == current) return last;
    current = context;
    if (!channels[current]) {
        channels[current].emplace(last, args...);
        return channels[current]->last();
    }
    return ownRecordOnReturn ? channels[current]->last() : last;
}

// Red, green and blue (and near infrared), 16 bits each. A symbol says which
// bytes changed; each changed byte is a correction, red's to its last
// value, green's and blue's to theirs moved as red (and green) moved.
struct ColourChannel {
    explicit ColourChannel(const std::uint8_t* from, std::size_t size) { std::memcpy(bytes, from, size); }
    std::uint8_t* last() { return bytes; }

    std::uint8_t bytes[8] = {};
    SymbolModel rgbUsed{128};
    SymbolModel rgbSteps[6] = {SymbolModel{256}, SymbolModel{256}, SymbolModel{256},
                               SymbolModel{256}, SymbolModel{256}, SymbolModel{256}};
    SymbolModel nirUsed{4};
    SymbolModel nirSteps[2] = {SymbolModel{256}, SymbolModel{256}};
};

std::uint32_t lowByte(std::uint16_t v) { return v & 0xFFu; }
std::uint32_t highByte(std::uint16_t v) { return static_cast<std::uint32_t>(v >> 8); }

// A byte coded as a correction to a prediction; both are bytes, the sum wraps.
std::uint32_t corrected(ArithmeticDecoder& decoder, SymbolModel& model, std::uint32_t prediction) {
    return foldByte(static_cast<std::int32_t>(decoder.decodeSymbol(model) + prediction));
}
// The last value moved by `moved`, kept to a byte.
std::uint32_t followed(std::int32_t moved, std::uint32_t last) {
    return clampByte(moved + static_cast<std::int32_t>(last));
}

void decodeRgb(ArithmeticDecoder& decoder, ColourChannel& ch, const std::uint8_t* last, std::uint8_t* item) {
    const std::uint16_t red = load<std::uint16_t>(last), green = load<std::uint16_t>(last + 2),
                        blue = load<std::uint16_t>(last + 4);
    const std::uint32_t used = decoder.decodeSymbol(ch.rgbUsed);
    const std::uint32_t redLow = used & 1 ? corrected(decoder, ch.rgbSteps[0], lowByte(red)) : lowByte(red);
    const std::uint32_t redHigh = used & 2 ? corrected(decoder, ch.rgbSteps[1], highByte(red)) : highByte(red);
    std::uint32_t greenLow = redLow, greenHigh = redHigh, blueLow = redLow, blueHigh = redHigh;
    if (used & 64) {  // green and blue differ from red
        std::int32_t moved = static_cast<std::int32_t>(redLow) - static_cast<std::int32_t>(lowByte(red));
        greenLow = used & 4 ? corrected(decoder, ch.rgbSteps[2], followed(moved, lowByte(green))) : lowByte(green);
        if (used & 16) {
            moved = (moved + static_cast<std::int32_t>(greenLow) - static_cast<std::int32_t>(lowByte(green))) / 2;
            blueLow = corrected(decoder, ch.rgbSteps[4], followed(moved, lowByte(blue)));
        } else {
            blueLow = lowByte(blue);
        }
        moved = static_cast<std::int32_t>(redHigh) - static_cast<std::int32_t>(highByte(red));
        greenHigh = used & 8 ? corrected(decoder, ch.rgbSteps[3], followed(moved, highByte(green))) : highByte(green);
        if (used & 32) {
            moved = (moved + static_cast<std::int32_t>(greenHigh) - static_cast<std::int32_t>(highByte(green))) / 2;
            blueHigh = corrected(decoder, ch.rgbSteps[5], followed(moved, highByte(blue)));
        } else {
            blueHigh = highByte(blue);
        }
    }
    store(item, static_cast<std::uint16_t>(redLow | redHigh << 8));
    store(item + 2, static_cast<std::uint16_t>(greenLow | greenHigh << 8));
    store(item + 4, static_cast<std::uint16_t>(blueLow | blueHigh << 8));
}

void decodeNir(ArithmeticDecoder& decoder, ColourChannel& ch, const std::uint8_t* last, std::uint8_t* item) {
    const std::uint16_t nir = load<std::uint16_t>(last);
    const std::uint32_t used = decoder.decodeSymbol(ch.nirUsed);
    const std::uint32_t low = used & 1 ? corrected(decoder, ch.nirSteps[0], lowByte(nir)) : lowByte(nir);
    const std::uint32_t high = used & 2 ? corrected(decoder, ch.nirSteps[1], highByte(nir)) : highByte(nir);
    store(item, static_cast<std::uint16_t>(low | high << 8));
}

// The colour in one layer, and near infrared (when the item has it) in a
// second.
class Colour14Decoder final : public LayeredItemDecoder {
public:
    Colour14Decoder(bool withNir, bool ownRecordOnReturn)
        : size_(withNir ? 8u : 6u), layerCount_(withNir ? 2u : 1u), ownRecordOnReturn_(ownRecordOnReturn) {}

    void first(const std::uint8_t* item, std::uint32_t& context) override {
        for (std::optional<ColourChannel>& channel : channels_) channel.reset();
        current_ = context % kChannels;
        channels_[current_].emplace(item, size_);
        cut_ = false;
    }
    void readLayerSizes(ByteCursor& cursor) override {
        for (std::size_t i = 0; i < layerCount_; ++i) layers_[i].readSize(cursor);
        cut_ = cut_ || cursor.failed;
    }
    void readLayers(ByteCursor& cursor) override {
        for (std::size_t i = 0; i < layerCount_; ++i) layers_[i].read(cursor);
        cut_ = cut_ || cursor.failed;
    }

    void next(std::uint8_t* item, std::uint32_t& context) override {
        std::uint8_t* last = follow(channels_, current_, context, ownRecordOnReturn_, size_);
        ColourChannel& ch = *channels_[current_];
        if (layers_[0].present()) {
            decodeRgb(layers_[0].decoder(), ch, last, item);
            std::memcpy(last, item, 6);
        } else {
            std::memcpy(item, last, 6);
        }
        if (size_ == 8) {
            if (layers_[1].present()) {
                decodeNir(layers_[1].decoder(), ch, last + 6, item + 6);
                std::memcpy(last + 6, item + 6, 2);
            } else {
                std::memcpy(item + 6, last + 6, 2);
            }
        }
    }

    bool overran() const override { return cut_ || layers_[0].overran() || layers_[1].overran(); }

private:
    std::size_t size_;
    std::size_t layerCount_;
    bool ownRecordOnReturn_;
    Layer layers_[2];
    std::array<std::optional<ColourChannel>, kChannels> channels_;
    std::uint32_t current_ = 0;
    bool cut_ = false;
};

// Extra bytes: each byte its own layer, coded as a step from its last value.
struct BytesChannel {
    BytesChannel(const std::uint8_t* from, std::size_t size) : bytes(from, from + size) {}
    std::uint8_t* last() { return bytes.data(); }

    std::vector<std::uint8_t> bytes;
    std::vector<SymbolModel> models;  // one per byte that changes in the chunk, made at its first point
};

class Byte14Decoder final : public LayeredItemDecoder {
public:
    Byte14Decoder(std::size_t size, bool ownRecordOnReturn)
        : size_(size), ownRecordOnReturn_(ownRecordOnReturn), layers_(size) {
        changing_.reserve(size);
    }

    void first(const std::uint8_t* item, std::uint32_t& context) override {
        for (std::optional<BytesChannel>& channel : channels_) channel.reset();
        current_ = context % kChannels;
        channels_[current_].emplace(item, size_);
        cut_ = false;
    }
    void readLayerSizes(ByteCursor& cursor) override {
        for (Layer& layer : layers_) layer.readSize(cursor);
        cut_ = cut_ || cursor.failed;
    }
    void readLayers(ByteCursor& cursor) override {
        changing_.clear();
        for (std::size_t i = 0; i < size_; ++i) {
            layers_[i].read(cursor);
            if (layers_[i].present()) changing_.push_back(i);
        }
        cut_ = cut_ || cursor.failed;
    }

    void next(std::uint8_t* item, std::uint32_t& context) override {
        std::uint8_t* last = follow(channels_, current_, context, ownRecordOnReturn_, size_);
        BytesChannel& ch = *channels_[current_];
        if (ch.models.size() != changing_.size()) ch.models.assign(changing_.size(), SymbolModel{256});
        std::memcpy(item, last, size_);
        for (std::size_t j = 0; j < changing_.size(); ++j) {
            const std::size_t i = changing_[j];
            item[i] = static_cast<std::uint8_t>(corrected(layers_[i].decoder(), ch.models[j], last[i]));
            last[i] = item[i];
        }
    }

    bool overran() const override {
        if (cut_) return true;
        for (const Layer& layer : layers_)
            if (layer.overran()) return true;
        return false;
    }

private:
    std::size_t size_;
    bool ownRecordOnReturn_;
    std::vector<Layer> layers_;
    std::vector<std::size_t> changing_;  // the bytes whose layers have bytes
    std::array<std::optional<BytesChannel>, kChannels> channels_;
    std::uint32_t current_ = 0;
    bool cut_ = false;
};

// A wave packet: the descriptor index, the offset of the waveform data (the
// same, just after the last one's, a step from it, or given whole), its size,
// the return point's place and the x, y, z steps, each predicted from the
// last packet's.
struct WaveChannel {
    WaveChannel(const std::uint8_t* from, std::size_t size) { std::memcpy(bytes, from, size); }
    std::uint8_t* last() { return bytes; }

    std::uint8_t bytes[29] = {};
    std::int32_t lastOffsetStep = 0;
    std::uint32_t lastOffsetKind = 0;
    SymbolModel descriptor{256};
    SymbolModel offsetKinds[4] = {SymbolModel{4}, SymbolModel{4}, SymbolModel{4}, SymbolModel{4}};
    IntegerDecoder offsetStep{32}, packetSize{32}, returnPoint{32}, xyz{32, 3};
};

class WavePacket14Decoder final : public LayeredItemDecoder {
public:
    explicit WavePacket14Decoder(bool ownRecordOnReturn) : ownRecordOnReturn_(ownRecordOnReturn) {}

    void first(const std::uint8_t* item, std::uint32_t& context) override {
        for (std::optional<WaveChannel>& channel : channels_) channel.reset();
        current_ = context % kChannels;
        channels_[current_].emplace(item, kSize);
        cut_ = false;
    }
    void readLayerSizes(ByteCursor& cursor) override {
        layer_.readSize(cursor);
        cut_ = cut_ || cursor.failed;
    }
    void readLayers(ByteCursor& cursor) override {
        layer_.read(cursor);
        cut_ = cut_ || cursor.failed;
    }

    void next(std::uint8_t* item, std::uint32_t& context) override {
        std::uint8_t* last = follow(channels_, current_, context, ownRecordOnReturn_, kSize);
        if (!layer_.present()) {
            std::memcpy(item, last, kSize);
            return;
        }
        WaveChannel& ch = *channels_[current_];
        ArithmeticDecoder& decoder = layer_.decoder();
        item[0] = static_cast<std::uint8_t>(decoder.decodeSymbol(ch.descriptor));

        const auto lastOffset = load<std::uint64_t>(last + 1);
        const auto lastSize = load<std::uint32_t>(last + 9);
        ch.lastOffsetKind = decoder.decodeSymbol(ch.offsetKinds[ch.lastOffsetKind]);
        std::uint64_t offset;
        switch (ch.lastOffsetKind) {
            case 0: offset = lastOffset; break;
            case 1: offset = lastOffset + lastSize; break;
            case 2:
                ch.lastOffsetStep = ch.offsetStep.decode(decoder, ch.lastOffsetStep);
                offset = lastOffset + static_cast<std::uint64_t>(static_cast<std::int64_t>(ch.lastOffsetStep));
                break;
            default: offset = decoder.readInt64(); break;
        }
        store(item + 1, offset);
        store(item + 9, ch.packetSize.decode(decoder, static_cast<std::int32_t>(lastSize)));
        store(item + 13, ch.returnPoint.decode(decoder, load<std::int32_t>(last + 13)));
        for (std::uint32_t axis = 0; axis < 3; ++axis) {
            const std::size_t at = 17 + 4 * axis;
            store(item + at, ch.xyz.decode(decoder, load<std::int32_t>(last + at), axis));
        }
        std::memcpy(last, item, kSize);
    }

    bool overran() const override { return cut_ || layer_.overran(); }

private:
    static constexpr std::size_t kSize = 29;
    bool ownRecordOnReturn_;
    Layer layer_;
    std::array<std::optional<WaveChannel>, kChannels> channels_;
    std::uint32_t current_ = 0;
    bool cut_ = false;
};

}  // namespace

}  // namespace layered

std::unique_ptr<LayeredItemDecoder> makeLayeredItemDecoder(const Item& item) {
    // Version 2 is what early coders of these items wrote, the same as 3.
    if (item.version < 2 || item.version > 4) return nullptr;
    const bool ownRecordOnReturn = item.version == 4;
    switch (item.type) {
        case ItemType::Point14: return item.size == 30 ? layered::makePoint14Decoder(item.version == 4) : nullptr;
        case ItemType::Rgb14:
            return item.size == 6 ? std::make_unique<layered::Colour14Decoder>(false, ownRecordOnReturn) : nullptr;
        case ItemType::RgbNir14:
            return item.size == 8 ? std::make_unique<layered::Colour14Decoder>(true, ownRecordOnReturn) : nullptr;
        case ItemType::Byte14:
            return item.size != 0 ? std::make_unique<layered::Byte14Decoder>(item.size, ownRecordOnReturn) : nullptr;
        case ItemType::WavePacket14:
            return item.size == 29 && item.version != 2
                       ? std::make_unique<layered::WavePacket14Decoder>(ownRecordOnReturn)
                       : nullptr;
        default: return nullptr;
    }
}

}  // namespace vellacor::laz
