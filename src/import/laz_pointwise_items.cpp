// The items of point-wise compressed records (LAS point formats 0 to 5):
// each point's fields are predicted from the point before and only the
// correction is coded.
#include <array>
#include <cstring>

#include "import/laz_fields.h"
#include "import/laz_items.h"

namespace vellacor::laz {

namespace {

// Which running statistics a point uses, by its number of returns n and its
// return number r ([n][r]): single returns, first of many, last of many and
// the middle ones keep apart.
constexpr std::uint8_t kReturnMap[8][8] = {
    {15, 14, 13, 12, 11, 10, 9, 8}, {14, 0, 1, 3, 6, 10, 10, 9},   {13, 1, 2, 4, 7, 11, 11, 10},
    {12, 3, 4, 5, 8, 12, 12, 11},   {11, 6, 7, 8, 9, 13, 13, 12},  {10, 10, 11, 12, 13, 14, 14, 13},
    {9, 10, 11, 12, 13, 14, 15, 14}, {8, 9, 10, 11, 12, 13, 14, 15},
};
// How far a return is from the first, which selects the height predicted from.
constexpr std::uint8_t kReturnLevel[8][8] = {
    {0, 1, 2, 3, 4, 5, 6, 7}, {1, 0, 1, 2, 3, 4, 5, 6}, {2, 1, 0, 1, 2, 3, 4, 5}, {3, 2, 1, 0, 1, 2, 3, 4},
    {4, 3, 2, 1, 0, 1, 2, 3}, {5, 4, 3, 2, 1, 0, 1, 2}, {6, 5, 4, 3, 2, 1, 0, 1}, {7, 6, 5, 4, 3, 2, 1, 0},
};

std::uint32_t evenBelow(std::uint32_t n) { return n & ~1u; }

// The core 20 bytes: x, y, z (int32), intensity (uint16), the return byte,
// the class byte, scan angle, user data, point source (uint16).
class Point10Decoder final : public PointwiseItemDecoder {
public:
    void first(const std::uint8_t* item) override {
        std::memcpy(last_, item, 20);
        store<std::uint16_t>(last_ + 12, 0);  // the running intensities start at zero, not at the first point's
    }

    void next(ArithmeticDecoder& decoder, std::uint8_t* item) override {
        const std::uint32_t changed = decoder.decodeSymbol(changedValues_);
        if (changed != 0) {
            if (changed & 32) last_[14] = static_cast<std::uint8_t>(decoder.decodeSymbol(returnBytes_.at(last_[14])));
        }
        const std::uint32_t r = last_[14] & 7u, n = (last_[14] >> 3) & 7u;
        const std::uint32_t m = kReturnMap[n][r], l = kReturnLevel[n][r];
        if (changed != 0) {
            if (changed & 16) {
                const auto intensity = static_cast<std::uint16_t>(
                    intensity_.decode(decoder, lastIntensity_[m], m < 3 ? m : 3));
                lastIntensity_[m] = intensity;
                store(last_ + 12, intensity);
            } else {
                store(last_ + 12, lastIntensity_[m]);
            }
            if (changed & 8) last_[15] = static_cast<std::uint8_t>(decoder.decodeSymbol(classes_.at(last_[15])));
            if (changed & 4) {
                const std::uint32_t step = decoder.decodeSymbol(scanAngle_[(last_[14] >> 6) & 1u]);
                last_[16] = foldByte(static_cast<std::int32_t>(step + last_[16]));
            }
            if (changed & 2) last_[17] = static_cast<std::uint8_t>(decoder.decodeSymbol(userData_.at(last_[17])));
            if (changed & 1)
                store(last_ + 18, static_cast<std::uint16_t>(pointSource_.decode(decoder, load<std::uint16_t>(last_ + 18))));
        } else {
            store(last_ + 12, lastIntensity_[m]);
        }

        const std::int32_t dx = dx_.decode(decoder, xSteps_[m].get(), n == 1);
        store(last_, static_cast<std::int32_t>(static_cast<std::uint32_t>(load<std::int32_t>(last_)) +
                                               static_cast<std::uint32_t>(dx)));
        xSteps_[m].add(dx);

        std::uint32_t kBits = dx_.k();
        const std::int32_t dy =
            dy_.decode(decoder, ySteps_[m].get(), (n == 1) + (kBits < 20 ? evenBelow(kBits) : 20));
        store(last_ + 4, static_cast<std::int32_t>(static_cast<std::uint32_t>(load<std::int32_t>(last_ + 4)) +
                                                   static_cast<std::uint32_t>(dy)));
        ySteps_[m].add(dy);

        kBits = (dx_.k() + dy_.k()) / 2;
        const std::int32_t z = z_.decode(decoder, lastHeight_[l], (n == 1) + (kBits < 18 ? evenBelow(kBits) : 18));
        store(last_ + 8, z);
        lastHeight_[l] = z;
        std::memcpy(item, last_, 20);
    }

private:
    std::uint8_t last_[20] = {};
    std::uint16_t lastIntensity_[16] = {};
    std::int32_t lastHeight_[8] = {};
    StreamingMedian5 xSteps_[16], ySteps_[16];
    SymbolModel changedValues_{64};
    SymbolModel scanAngle_[2] = {SymbolModel{256}, SymbolModel{256}};
    LazySymbolModels returnBytes_{256}, classes_{256}, userData_{256};
    IntegerDecoder intensity_{16, 4};
    IntegerDecoder pointSource_{16};
    IntegerDecoder dx_{32, 2}, dy_{32, 22}, z_{32, 20};
};

// GPS time (a double, coded as its 64-bit pattern): the step from the last
// time is predicted as a multiple of the last step, in up to four
// interleaved sequences (several flight lines written together).
class GpsTime11Decoder final : public PointwiseItemDecoder {
public:
    void first(const std::uint8_t* item) override { last_[0] = load<std::uint64_t>(item); }

    void next(ArithmeticDecoder& decoder, std::uint8_t* item) override {
        // A switch to another sequence reads again; a damaged stream could
        // switch for ever, so the switches are bounded.
        for (int attempts = 0; attempts < 64 && !decodeOne(decoder); ++attempts) {
        }
        store(item, last_[current_]);
    }

private:
    static constexpr std::uint32_t kMulti = 500;
    static constexpr std::int32_t kMultiMinus = -10;
    static constexpr std::uint32_t kMultiUnchanged = kMulti + 10 + 1;  // 511: the multiples run from -10 to kMulti
    static constexpr std::uint32_t kMultiCodeFull = kMulti + 10 + 2;   // 512
    static constexpr std::uint32_t kMultiTotal = kMulti + 10 + 6;      // 516

    static std::int32_t times(std::int32_t a, std::int32_t b) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
    }
    void add(std::int32_t step) { last_[current_] += static_cast<std::uint64_t>(static_cast<std::int64_t>(step)); }
    void startSequence(ArithmeticDecoder& decoder) {
        next_ = (next_ + 1) & 3;
        const auto high = static_cast<std::uint32_t>(
            time_.decode(decoder, static_cast<std::int32_t>(last_[current_] >> 32), 8));
        last_[next_] = (std::uint64_t{high} << 32) | decoder.readInt();
        current_ = next_;
        lastStep_[current_] = 0;
        extremes_[current_] = 0;
    }
    void countExtreme(std::int32_t step) {
        if (++extremes_[current_] > 3) {
            lastStep_[current_] = step;
            extremes_[current_] = 0;
        }
    }

    // One coded time; false when the code only switched sequence.
    bool decodeOne(ArithmeticDecoder& decoder) {
        if (lastStep_[current_] == 0) {
            const std::uint32_t multi = decoder.decodeSymbol(zeroStep_);
            if (multi == 1) {
                lastStep_[current_] = time_.decode(decoder, 0, 0);
                add(lastStep_[current_]);
                extremes_[current_] = 0;
            } else if (multi == 2) {
                startSequence(decoder);
            } else if (multi > 2) {
                current_ = (current_ + multi - 2) & 3;
                return false;
            }
            return true;
        }
        const std::uint32_t multi = decoder.decodeSymbol(multiple_);
        const std::int32_t last = lastStep_[current_];
        if (multi == 1) {
            add(time_.decode(decoder, last, 1));
            extremes_[current_] = 0;
        } else if (multi < kMultiUnchanged) {
            std::int32_t step;
            if (multi == 0) {
                step = time_.decode(decoder, 0, 7);
                countExtreme(step);
            } else if (multi < kMulti) {
                step = time_.decode(decoder, times(static_cast<std::int32_t>(multi), last), multi < 10 ? 2 : 3);
            } else if (multi == kMulti) {
                step = time_.decode(decoder, times(kMulti, last), 4);
                countExtreme(step);
            } else {
                const std::int32_t below = static_cast<std::int32_t>(kMulti) - static_cast<std::int32_t>(multi);
                if (below > kMultiMinus) {
                    step = time_.decode(decoder, times(below, last), 5);
                } else {
                    step = time_.decode(decoder, times(kMultiMinus, last), 6);
                    countExtreme(step);
                }
            }
            add(step);
        } else if (multi == kMultiCodeFull) {
            startSequence(decoder);
        } else if (multi > kMultiCodeFull) {
            current_ = (current_ + multi - kMultiCodeFull) & 3;
            return false;
        }
        return true;
    }

    std::uint64_t last_[4] = {};
    std::int32_t lastStep_[4] = {};
    std::int32_t extremes_[4] = {};
    std::uint32_t current_ = 0, next_ = 0;
    SymbolModel multiple_{kMultiTotal};
    SymbolModel zeroStep_{6};
    IntegerDecoder time_{32, 9};
};

// Red, green and blue (uint16 each): each byte that changed is coded as a
// correction, green and blue predicted from how red moved.
class Rgb12Decoder final : public PointwiseItemDecoder {
public:
    void first(const std::uint8_t* item) override { std::memcpy(last_, item, 6); }

    void next(ArithmeticDecoder& decoder, std::uint8_t* item) override {
        std::uint16_t out[3];
        const std::uint32_t used = decoder.decodeSymbol(byteUsed_);
        out[0] = lowOrKeep(decoder, used & 1, 0, last_[0] & 0xFF, 0);
        out[0] |= highOrKeep(decoder, used & 2, 1, last_[0] >> 8, 0);
        if (used & 64) {
            std::int32_t diff = (out[0] & 0xFF) - (last_[0] & 0xFF);
            out[1] = lowOrKeep(decoder, used & 4, 2, last_[1] & 0xFF, diff);
            if (used & 16) {
                diff = (diff + ((out[1] & 0xFF) - (last_[1] & 0xFF))) / 2;
                out[2] = lowOrKeep(decoder, true, 4, last_[2] & 0xFF, diff);
            } else {
                out[2] = static_cast<std::uint16_t>(last_[2] & 0xFF);
            }
            diff = (out[0] >> 8) - (last_[0] >> 8);
            out[1] |= highOrKeep(decoder, used & 8, 3, last_[1] >> 8, diff);
            if (used & 32) {
                diff = (diff + ((out[1] >> 8) - (last_[1] >> 8))) / 2;
                out[2] |= highOrKeep(decoder, true, 5, last_[2] >> 8, diff);
            } else {
                out[2] |= static_cast<std::uint16_t>(last_[2] & 0xFF00);
            }
        } else {
            out[1] = out[2] = out[0];
        }
        std::memcpy(last_, out, 6);
        std::memcpy(item, out, 6);
    }

private:
    // One byte of a colour: the last byte moved by `diff` (clamped) plus the
    // coded correction, or the last byte when it did not change.
    std::uint8_t byteOf(ArithmeticDecoder& decoder, bool changed, int model, std::uint32_t lastByte, std::int32_t diff) {
        if (!changed) return static_cast<std::uint8_t>(lastByte);
        const std::uint32_t correction = decoder.decodeSymbol(corrections_[model]);
        return foldByte(static_cast<std::int32_t>(correction) + clampByte(diff + static_cast<std::int32_t>(lastByte)));
    }
    std::uint16_t lowOrKeep(ArithmeticDecoder& decoder, bool changed, int model, std::uint32_t lastByte,
                            std::int32_t diff) {
        return byteOf(decoder, changed, model, lastByte, diff);
    }
    std::uint16_t highOrKeep(ArithmeticDecoder& decoder, bool changed, int model, std::uint32_t lastByte,
                             std::int32_t diff) {
        return static_cast<std::uint16_t>(byteOf(decoder, changed, model, lastByte, diff) << 8);
    }

    std::uint16_t last_[3] = {};
    SymbolModel byteUsed_{128};
    SymbolModel corrections_[6] = {SymbolModel{256}, SymbolModel{256}, SymbolModel{256},
                                   SymbolModel{256}, SymbolModel{256}, SymbolModel{256}};
};

// Extra bytes: each byte is coded as its change from the last point's.
class ByteDecoder final : public PointwiseItemDecoder {
public:
    explicit ByteDecoder(std::size_t count) : last_(count), models_(count, SymbolModel{256}) {}

    void first(const std::uint8_t* item) override { std::memcpy(last_.data(), item, last_.size()); }

    void next(ArithmeticDecoder& decoder, std::uint8_t* item) override {
        for (std::size_t i = 0; i < last_.size(); ++i)
            last_[i] = foldByte(static_cast<std::int32_t>(last_[i] + decoder.decodeSymbol(models_[i])));
        std::memcpy(item, last_.data(), last_.size());
    }

private:
    std::vector<std::uint8_t> last_;
    std::vector<SymbolModel> models_;
};

// A waveform packet's descriptor (29 bytes): decoded so the stream keeps
// step; the waves themselves are never read.
class WavePacket13Decoder final : public PointwiseItemDecoder {
public:
    void first(const std::uint8_t* item) override { std::memcpy(last_, item, 29); }

    void next(ArithmeticDecoder& decoder, std::uint8_t* item) override {
        std::uint8_t out[29];
        out[0] = static_cast<std::uint8_t>(decoder.decodeSymbol(packetIndex_));
        lastOffsetCode_ = decoder.decodeSymbol(offsetCodes_[lastOffsetCode_ & 3]);
        const auto lastOffset = load<std::uint64_t>(last_ + 1);
        const auto lastSize = load<std::uint32_t>(last_ + 9);
        std::uint64_t offset;
        if (lastOffsetCode_ == 0) {
            offset = lastOffset;
        } else if (lastOffsetCode_ == 1) {
            offset = lastOffset + lastSize;
        } else if (lastOffsetCode_ == 2) {
            lastOffsetStep_ = offsetStep_.decode(decoder, lastOffsetStep_);
            offset = lastOffset + static_cast<std::uint64_t>(static_cast<std::int64_t>(lastOffsetStep_));
        } else {
            offset = decoder.readInt64();
        }
        store(out + 1, offset);
        store(out + 9, packetSize_.decode(decoder, static_cast<std::int32_t>(lastSize)));
        store(out + 13, returnPoint_.decode(decoder, load<std::int32_t>(last_ + 13)));
        for (std::uint32_t k = 0; k < 3; ++k)
            store(out + 17 + 4 * k, xyz_.decode(decoder, load<std::int32_t>(last_ + 17 + 4 * k), k));
        std::memcpy(last_, out, 29);
        std::memcpy(item, out, 29);
    }

private:
    std::uint8_t last_[29] = {};
    std::uint32_t lastOffsetCode_ = 0;
    std::int32_t lastOffsetStep_ = 0;
    SymbolModel packetIndex_{256};
    SymbolModel offsetCodes_[4] = {SymbolModel{4}, SymbolModel{4}, SymbolModel{4}, SymbolModel{4}};
    IntegerDecoder offsetStep_{32};
    IntegerDecoder packetSize_{32};
    IntegerDecoder returnPoint_{32};
    IntegerDecoder xyz_{32, 3};
};

}  // namespace

std::unique_ptr<PointwiseItemDecoder> makePointwiseItemDecoder(const Item& item) {
    // Waveform packets have only ever had the first version of their coding.
    if (item.type == ItemType::WavePacket13)
        return item.version == 1 && item.size == 29 ? std::make_unique<WavePacket13Decoder>() : nullptr;
    if (item.version == 1) return makePointwiseVersion1ItemDecoder(item);
    if (item.version != 2) return nullptr;
    switch (item.type) {
        case ItemType::Point10: return item.size == 20 ? std::make_unique<Point10Decoder>() : nullptr;
        case ItemType::GpsTime11: return item.size == 8 ? std::make_unique<GpsTime11Decoder>() : nullptr;
        case ItemType::Rgb12: return item.size == 6 ? std::make_unique<Rgb12Decoder>() : nullptr;
        case ItemType::Byte: return item.size > 0 ? std::make_unique<ByteDecoder>(item.size) : nullptr;
        default: return nullptr;
    }
}

}  // namespace vellacor::laz
