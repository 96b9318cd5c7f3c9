#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The entropy decoder of LAZ files: a range (arithmetic) decoder with
// adaptive binary and multi-symbol models, and the integer decoder that the
// point items predict their fields with. Every LAZ item decodes through
// these, so they must match the encoder's arithmetic to the bit: the
// constants, the rounding and the order of the model updates below are part
// of the file format.
namespace vellacor::laz {

inline constexpr std::uint32_t kMinLength = 0x01000000u;  // below this the interval is renormalised
inline constexpr std::uint32_t kMaxLength = 0xFFFFFFFFu;
inline constexpr unsigned kBitLengthShift = 13;       // a binary model's probability precision
inline constexpr std::uint32_t kBitMaxCount = 1u << kBitLengthShift;
inline constexpr unsigned kSymbolLengthShift = 15;    // a symbol model's probability precision
inline constexpr std::uint32_t kSymbolMaxCount = 1u << kSymbolLengthShift;

// An adaptive model of one bit.
struct BitModel {
    std::uint32_t bit0Count = 1;
    std::uint32_t bitCount = 2;
    std::uint32_t bit0Probability = 1u << (kBitLengthShift - 1);
    std::uint32_t updateCycle = 4;
    std::uint32_t bitsUntilUpdate = 4;

    void update();
};

// An adaptive model of symbols 0 to symbols - 1 (2 to 2048). Models of more
// than 16 symbols keep a table that narrows the search for a symbol.
class SymbolModel {
public:
    explicit SymbolModel(std::uint32_t symbols);

    std::uint32_t symbols() const { return symbolCount_; }

private:
    friend class ArithmeticDecoder;
    void update();

    std::uint32_t symbolCount_;
    std::uint32_t lastSymbol_;
    std::uint32_t tableShift_ = 0;
    std::uint32_t tableSize_ = 0;
    std::uint32_t totalCount_ = 0;
    std::uint32_t updateCycle_;
    std::uint32_t symbolsUntilUpdate_;
    std::vector<std::uint32_t> distribution_;
    std::vector<std::uint32_t> counts_;
    std::vector<std::uint32_t> decoderTable_;
};

// Decodes one arithmetic-coded stream held in [begin, end). Reading beyond
// the end gives zero bytes and is remembered: a stream that needed more bytes
// than it has was cut short or damaged, and what it gave cannot be trusted.
class ArithmeticDecoder {
public:
    ArithmeticDecoder() = default;
    ArithmeticDecoder(const std::uint8_t* begin, const std::uint8_t* end) { start(begin, end); }

    // Starts on the bytes; the first four prime the decoder.
    void start(const std::uint8_t* begin, const std::uint8_t* end);

    std::uint32_t decodeBit(BitModel& model) {
        const std::uint32_t x = model.bit0Probability * (length_ >> kBitLengthShift);
        std::uint32_t bit;
        if (value_ < x) {
            bit = 0;
            length_ = x;
            ++model.bit0Count;
        } else {
            bit = 1;
            value_ -= x;
            length_ -= x;
        }
        if (length_ < kMinLength) renormalise();
        if (--model.bitsUntilUpdate == 0) model.update();
        return bit;
    }

    std::uint32_t decodeSymbol(SymbolModel& model);

    // Bits written raw, without a model: 1 to 32 of them.
    std::uint32_t readBits(unsigned bits);
    std::uint32_t readShort() { return readRaw(16); }
    std::uint32_t readInt() {
        const std::uint32_t low = readShort();
        return (readShort() << 16) | low;
    }
    std::uint64_t readInt64() {
        const std::uint64_t low = readInt();
        return (std::uint64_t{readInt()} << 32) | low;
    }

    // Whether the stream asked for bytes past its end.
    bool overran() const { return overran_; }
    // The next byte the decoder would read.
    const std::uint8_t* position() const { return next_; }

private:
    std::uint32_t readRaw(unsigned bits) {
        length_ >>= bits;
        const std::uint32_t symbol = value_ / length_;
        value_ -= length_ * symbol;
        if (length_ < kMinLength) renormalise();
        return symbol;
    }
    std::uint8_t nextByte() {
        if (next_ < end_) return *next_++;
        overran_ = true;
        return 0;
    }
    void renormalise() {
        do {
            value_ = (value_ << 8) | nextByte();
            length_ <<= 8;
        } while (length_ < kMinLength);
    }

    const std::uint8_t* next_ = nullptr;
    const std::uint8_t* end_ = nullptr;
    std::uint32_t value_ = 0;
    std::uint32_t length_ = kMaxLength;
    bool overran_ = false;
};

// Decodes integers as corrections to a prediction, in up to `contexts`
// contexts: the magnitude class of the correction (k, its bit length) with
// one model per context, then the correction within that class. Values wrap
// in a range of 2^bits (or `range` when given).
class IntegerDecoder {
public:
    explicit IntegerDecoder(std::uint32_t bits = 16, std::uint32_t contexts = 1, std::uint32_t bitsHigh = 8,
                            std::uint32_t range = 0);

    std::int32_t decode(ArithmeticDecoder& decoder, std::int32_t prediction, std::uint32_t context = 0);
    // The magnitude class of the last correction decoded.
    std::uint32_t k() const { return k_; }

private:
    std::int32_t readCorrection(ArithmeticDecoder& decoder, SymbolModel& magnitudes);

    std::uint32_t bitsHigh_;
    std::uint32_t correctionBits_ = 0;
    std::uint32_t correctionRange_ = 0;
    std::int32_t correctionMin_ = 0;
    std::uint32_t k_ = 0;
    std::vector<SymbolModel> magnitudeModels_;  // one per context
    BitModel zeroClassModel_;                   // k = 0: the correction is 0 or 1
    std::vector<SymbolModel> correctionModels_;  // k = 1 to correctionBits; [0] unused
};

inline std::uint32_t ArithmeticDecoder::decodeSymbol(SymbolModel& model) {
    std::uint32_t symbol, x, y = length_;
    if (!model.decoderTable_.empty()) {
        length_ >>= kSymbolLengthShift;
        // A value beyond the model's range (damaged data) lands on the last symbol.
        const std::uint32_t dv = value_ / length_;
        const std::uint32_t t = dv >> model.tableShift_;
        if (t >= model.tableSize_ + 1) {
            symbol = model.lastSymbol_;
        } else {
            symbol = model.decoderTable_[t];
            std::uint32_t n = model.decoderTable_[t + 1] + 1;
            while (n > symbol + 1) {
                const std::uint32_t k = (symbol + n) >> 1;
                if (model.distribution_[k] > dv)
                    n = k;
                else
                    symbol = k;
            }
        }
        x = model.distribution_[symbol] * length_;
        if (symbol != model.lastSymbol_) y = model.distribution_[symbol + 1] * length_;
    } else {
        x = symbol = 0;
        length_ >>= kSymbolLengthShift;
        std::uint32_t n = model.symbolCount_;
        std::uint32_t k = n >> 1;
        do {
            const std::uint32_t z = length_ * model.distribution_[k];
            if (z > value_) {
                n = k;
                y = z;
            } else {
                symbol = k;
                x = z;
            }
        } while ((k = (symbol + n) >> 1) != symbol);
    }
    value_ -= x;
    length_ = y - x;
    if (length_ < kMinLength) renormalise();
    ++model.counts_[symbol];
    if (--model.symbolsUntilUpdate_ == 0) model.update();
    return symbol;
}

// The running median of the last five values, as the point items use it to
// predict coordinate steps.
class StreamingMedian5 {
public:
    void add(std::int32_t v);
    std::int32_t get() const { return values_[2]; }

private:
    std::int32_t values_[5] = {0, 0, 0, 0, 0};
    bool high_ = true;
};

// A value folded back into a byte: what 8-bit fields wrap to.
inline std::uint8_t foldByte(std::int32_t n) { return static_cast<std::uint8_t>(n); }
inline std::uint8_t clampByte(std::int32_t n) {
    return n <= 0 ? std::uint8_t{0} : n >= 255 ? std::uint8_t{255} : static_cast<std::uint8_t>(n);
}

}  // namespace vellacor::laz
