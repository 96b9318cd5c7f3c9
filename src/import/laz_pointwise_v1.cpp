// The first version of the point-wise items, as older files hold them. Its
// predictions are simpler than the second version's: coordinates step by the
// median of the last three steps, and every other field is predicted by the
// last point's value alone.
#include <array>
#include <cstring>

#include "import/laz_fields.h"
#include "import/laz_items.h"

namespace vellacor::laz {

namespace {

// The middle one of three values.
std::int32_t median3(const std::int32_t (&v)[3]) {
    if (v[0] < v[1]) return v[1] < v[2] ? v[1] : v[0] < v[2] ? v[2] : v[0];
    return v[0] < v[2] ? v[0] : v[1] < v[2] ? v[2] : v[1];
}

// The core 20 bytes: x, y, z (int32), intensity (uint16), the return byte,
// the class byte, scan angle, user data, point source (uint16). The
// coordinates come first, then a mask of which other fields changed.
class Point10Decoder final : public PointwiseItemDecoder {
public:
    void first(const std::uint8_t* item) override { std::memcpy(last_, item, 20); }

    void next(ArithmeticDecoder& decoder, std::uint8_t* item) override {
        const std::int32_t dx = dx_.decode(decoder, median3(xSteps_));
        store(last_, wrappingAdd(load<std::int32_t>(last_), dx));
        // How many bits the last correction needed picks the next one's context.
        std::uint32_t kBits = dx_.k();
        const std::int32_t dy = dy_.decode(decoder, median3(ySteps_), kBits < 19 ? kBits : 19);
        store(last_ + 4, wrappingAdd(load<std::int32_t>(last_ + 4), dy));
        kBits = (kBits + dy_.k()) / 2;
        store(last_ + 8, z_.decode(decoder, load<std::int32_t>(last_ + 8), kBits < 19 ? kBits : 19));

        const std::uint32_t changed = decoder.decodeSymbol(changedValues_);
        if (changed & 32)
            store(last_ + 12, static_cast<std::uint16_t>(intensity_.decode(decoder, load<std::uint16_t>(last_ + 12))));
        if (changed & 16) last_[14] = static_cast<std::uint8_t>(decoder.decodeSymbol(returnBytes_.at(last_[14])));
        if (changed & 8) last_[15] = static_cast<std::uint8_t>(decoder.decodeSymbol(classes_.at(last_[15])));
        // The scan angle wraps in 8 bits, so its signed byte is predicted as it is stored.
        if (changed & 4) last_[16] = static_cast<std::uint8_t>(scanAngle_.decode(decoder, last_[16], kBits < 3));
        if (changed & 2) last_[17] = static_cast<std::uint8_t>(decoder.decodeSymbol(userData_.at(last_[17])));
        if (changed & 1)
            store(last_ + 18,
                  static_cast<std::uint16_t>(pointSource_.decode(decoder, load<std::uint16_t>(last_ + 18))));

        xSteps_[stepIndex_] = dx;
        ySteps_[stepIndex_] = dy;
        stepIndex_ = stepIndex_ == 2 ? 0 : stepIndex_ + 1;
        std::memcpy(item, last_, 20);
    }

private:
    std::uint8_t last_[20] = {};
    std::int32_t xSteps_[3] = {}, ySteps_[3] = {};  // the last three steps, oldest overwritten
    int stepIndex_ = 0;
    SymbolModel changedValues_{64};
    LazySymbolModels returnBytes_{256}, classes_{256}, userData_{256};
    IntegerDecoder dx_{32}, dy_{32, 20}, z_{32, 20};
    IntegerDecoder intensity_{16};
    IntegerDecoder scanAngle_{8, 2};
    IntegerDecoder pointSource_{16};
};

// GPS time (a double, coded as its 64-bit pattern): the step from the last
// time is predicted as a multiple of the last step that was kept.
class GpsTime11Decoder final : public PointwiseItemDecoder {
public:
    void first(const std::uint8_t* item) override { last_ = load<std::uint64_t>(item); }

    void next(ArithmeticDecoder& decoder, std::uint8_t* item) override {
        if (lastStep_ == 0) {
            // 0: the same time; 1: a step that fits 32 bits; 2: the time in full.
            const std::uint32_t code = decoder.decodeSymbol(afterZeroStep_);
            if (code == 1) {
                lastStep_ = time_.decode(decoder, 0, 0);
                add(lastStep_);
            } else if (code == 2) {
                last_ = decoder.readInt64();
            }
        } else {
            // Below kFull the multiple of the last step; kFull the time in
            // full; the last symbol the same time.
            const std::uint32_t multi = decoder.decodeSymbol(multiple_);
            if (multi < kFull) {
                const auto m = static_cast<std::int32_t>(multi);
                std::int32_t step;
                if (multi == 1) {
                    step = time_.decode(decoder, lastStep_, 1);
                    lastStep_ = step;
                    extremes_ = 0;
                } else if (multi == 0) {
                    step = time_.decode(decoder, lastStep_ / 4, 2);
                    countExtreme(step);
                } else {
                    step = time_.decode(decoder, wrappingTimes(m, lastStep_), multi < 10 ? 3u : multi < 50 ? 4u : 5u);
                    if (multi == kLargest) countExtreme(step);
                }
                add(step);
            } else if (multi == kFull) {
                last_ = decoder.readInt64();
            }
        }
        store(item, last_);
    }

private:
    static constexpr std::uint32_t kMultiples = 512;
    static constexpr std::uint32_t kLargest = kMultiples - 3;  // 509: this multiple or more
    static constexpr std::uint32_t kFull = kMultiples - 2;

    void add(std::int32_t step) { last_ += static_cast<std::uint64_t>(static_cast<std::int64_t>(step)); }
    // Steps far below or above the last one are only followed after four in a row.
    void countExtreme(std::int32_t step) {
        if (++extremes_ > 3) {
            lastStep_ = step;
            extremes_ = 0;
        }
    }

    std::uint64_t last_ = 0;
    std::int32_t lastStep_ = 0;
    std::int32_t extremes_ = 0;
    SymbolModel multiple_{kMultiples};
    SymbolModel afterZeroStep_{3};
    IntegerDecoder time_{32, 6};
};

// Red, green and blue (uint16 each): a mask of which of the six bytes
// changed, then each changed byte predicted by its last value.
class Rgb12Decoder final : public PointwiseItemDecoder {
public:
    void first(const std::uint8_t* item) override { std::memcpy(last_, item, 6); }

    void next(ArithmeticDecoder& decoder, std::uint8_t* item) override {
        const std::uint32_t changed = decoder.decodeSymbol(byteUsed_);
        for (std::uint32_t i = 0; i < 6; ++i) {
            if (changed & (1u << i)) last_[i] = static_cast<std::uint8_t>(bytes_.decode(decoder, last_[i], i));
        }
        std::memcpy(item, last_, 6);
    }

private:
    std::uint8_t last_[6] = {};  // little-endian: each colour's low byte, then its high byte
    SymbolModel byteUsed_{64};
    IntegerDecoder bytes_{8, 6};  // a context per byte
};

// Extra bytes: each byte predicted by its last value, in a context of its own.
class ByteDecoder final : public PointwiseItemDecoder {
public:
    explicit ByteDecoder(std::uint16_t count) : last_(count), bytes_(8, count) {}

    void first(const std::uint8_t* item) override { std::memcpy(last_.data(), item, last_.size()); }

    void next(ArithmeticDecoder& decoder, std::uint8_t* item) override {
        for (std::size_t i = 0; i < last_.size(); ++i)
            last_[i] = static_cast<std::uint8_t>(bytes_.decode(decoder, last_[i], static_cast<std::uint32_t>(i)));
        std::memcpy(item, last_.data(), last_.size());
    }

private:
    std::vector<std::uint8_t> last_;
    IntegerDecoder bytes_;
};

}  // namespace

std::unique_ptr<PointwiseItemDecoder> makePointwiseVersion1ItemDecoder(const Item& item) {
    if (item.version != 1) return nullptr;
    switch (item.type) {
        case ItemType::Point10: return item.size == 20 ? std::make_unique<Point10Decoder>() : nullptr;
        case ItemType::GpsTime11: return item.size == 8 ? std::make_unique<GpsTime11Decoder>() : nullptr;
        case ItemType::Rgb12: return item.size == 6 ? std::make_unique<Rgb12Decoder>() : nullptr;
        case ItemType::Byte: return item.size > 0 ? std::make_unique<ByteDecoder>(item.size) : nullptr;
        default: return nullptr;
    }
}

}  // namespace vellacor::laz
