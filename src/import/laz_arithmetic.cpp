#include "import/laz_arithmetic.h"

namespace vellacor::laz {

void BitModel::update() {
    // Halve the counts when they grow large, so the model keeps adapting.
    if ((bitCount += updateCycle) > kBitMaxCount) {
        bitCount = (bitCount + 1) >> 1;
        bit0Count = (bit0Count + 1) >> 1;
        if (bit0Count == bitCount) ++bitCount;
    }
    const std::uint32_t scale = 0x80000000u / bitCount;
    bit0Probability = (bit0Count * scale) >> (31 - kBitLengthShift);
    updateCycle = (5 * updateCycle) >> 2;
    if (updateCycle > 64) updateCycle = 64;
    bitsUntilUpdate = updateCycle;
}

SymbolModel::SymbolModel(std::uint32_t symbols)
    : symbolCount_(symbols < 2 ? 2 : symbols > 2048 ? 2048 : symbols),
      lastSymbol_(symbolCount_ - 1),
      updateCycle_(symbolCount_),
      symbolsUntilUpdate_(0),
      distribution_(symbolCount_),
      counts_(symbolCount_, 1) {
    if (symbolCount_ > 16) {
        std::uint32_t tableBits = 3;
        while (symbolCount_ > (1u << (tableBits + 2))) ++tableBits;
        tableSize_ = 1u << tableBits;
        tableShift_ = kSymbolLengthShift - tableBits;
        decoderTable_.assign(tableSize_ + 2, 0);
    }
    update();
    symbolsUntilUpdate_ = updateCycle_ = (symbolCount_ + 6) >> 1;
}

void SymbolModel::update() {
    if ((totalCount_ += updateCycle_) > kSymbolMaxCount) {
        totalCount_ = 0;
        for (std::uint32_t& count : counts_) totalCount_ += (count = (count + 1) >> 1);
    }
    const std::uint32_t scale = 0x80000000u / totalCount_;
    std::uint32_t sum = 0;
    if (tableSize_ == 0) {
        for (std::uint32_t k = 0; k < symbolCount_; ++k) {
            distribution_[k] = (scale * sum) >> (31 - kSymbolLengthShift);
            sum += counts_[k];
        }
    } else {
        std::uint32_t s = 0;
        for (std::uint32_t k = 0; k < symbolCount_; ++k) {
            distribution_[k] = (scale * sum) >> (31 - kSymbolLengthShift);
            sum += counts_[k];
            const std::uint32_t w = distribution_[k] >> tableShift_;
            while (s < w) decoderTable_[++s] = k - 1;
        }
        decoderTable_[0] = 0;
        while (s <= tableSize_) decoderTable_[++s] = symbolCount_ - 1;
    }
    updateCycle_ = (5 * updateCycle_) >> 2;
    const std::uint32_t maxCycle = (symbolCount_ + 6) << 3;
    if (updateCycle_ > maxCycle) updateCycle_ = maxCycle;
    symbolsUntilUpdate_ = updateCycle_;
}

void ArithmeticDecoder::start(const std::uint8_t* begin, const std::uint8_t* end) {
    next_ = begin;
    end_ = end;
    overran_ = false;
    length_ = kMaxLength;
    value_ = 0;
    for (int i = 0; i < 4; ++i) value_ = (value_ << 8) | nextByte();
}

std::uint32_t ArithmeticDecoder::readBits(unsigned bits) {
    if (bits > 19) {
        const std::uint32_t low = readShort();
        return (readBits(bits - 16) << 16) | low;
    }
    return readRaw(bits);
}

IntegerDecoder::IntegerDecoder(std::uint32_t bits, std::uint32_t contexts, std::uint32_t bitsHigh, std::uint32_t range)
    : bitsHigh_(bitsHigh) {
    if (range != 0) {
        correctionRange_ = range;
        while (range != 0) {
            range >>= 1;
            ++correctionBits_;
        }
        if (correctionRange_ == (1u << (correctionBits_ - 1))) --correctionBits_;
        correctionMin_ = -static_cast<std::int32_t>(correctionRange_ / 2);
    } else if (bits != 0 && bits < 32) {
        correctionBits_ = bits;
        correctionRange_ = 1u << bits;
        correctionMin_ = -static_cast<std::int32_t>(correctionRange_ / 2);
    } else {
        correctionBits_ = 32;
        correctionRange_ = 0;
        correctionMin_ = INT32_MIN;
    }
    magnitudeModels_.reserve(contexts);
    for (std::uint32_t i = 0; i < contexts; ++i) magnitudeModels_.emplace_back(correctionBits_ + 1);
    correctionModels_.reserve(correctionBits_ + 1);
    correctionModels_.emplace_back(2);  // k = 0 uses zeroClassModel_; keeps indices aligned
    for (std::uint32_t i = 1; i <= correctionBits_; ++i)
        correctionModels_.emplace_back(i <= bitsHigh_ ? 1u << i : 1u << bitsHigh_);
}

std::int32_t IntegerDecoder::decode(ArithmeticDecoder& decoder, std::int32_t prediction, std::uint32_t context) {
    SymbolModel& magnitudes = magnitudeModels_[context < magnitudeModels_.size() ? context : 0];
    // The sum wraps, as the encoder's 32-bit arithmetic does.
    std::uint32_t real =
        static_cast<std::uint32_t>(prediction) + static_cast<std::uint32_t>(readCorrection(decoder, magnitudes));
    if (correctionRange_ != 0) {
        if (static_cast<std::int32_t>(real) < 0)
            real += correctionRange_;
        else if (real >= correctionRange_)
            real -= correctionRange_;
    }
    return static_cast<std::int32_t>(real);
}

std::int32_t IntegerDecoder::readCorrection(ArithmeticDecoder& decoder, SymbolModel& magnitudes) {
    k_ = decoder.decodeSymbol(magnitudes);
    if (k_ == 0) return static_cast<std::int32_t>(decoder.decodeBit(zeroClassModel_));
    if (k_ >= 32) return correctionMin_;
    std::uint32_t c;
    if (k_ <= bitsHigh_) {
        c = decoder.decodeSymbol(correctionModels_[k_]);
    } else {
        const unsigned lowBits = k_ - bitsHigh_;
        c = decoder.decodeSymbol(correctionModels_[k_]);
        c = (c << lowBits) | decoder.readBits(lowBits);
    }
    // Back from the class's numbering to the correction: the upper half of
    // the class is positive, the lower half negative.
    if (c >= (1u << (k_ - 1))) return static_cast<std::int32_t>(c + 1);
    return static_cast<std::int32_t>(c - ((1u << k_) - 1));
}

void StreamingMedian5::add(std::int32_t v) {
    std::int32_t* s = values_;
    if (high_) {
        if (v < s[2]) {
            s[4] = s[3];
            s[3] = s[2];
            if (v < s[0]) {
                s[2] = s[1];
                s[1] = s[0];
                s[0] = v;
            } else if (v < s[1]) {
                s[2] = s[1];
                s[1] = v;
            } else {
                s[2] = v;
            }
        } else {
            if (v < s[3]) {
                s[4] = s[3];
                s[3] = v;
            } else {
                s[4] = v;
            }
            high_ = false;
        }
    } else {
        if (s[2] < v) {
            s[0] = s[1];
            s[1] = s[2];
            if (s[4] < v) {
                s[2] = s[3];
                s[3] = s[4];
                s[4] = v;
            } else if (s[3] < v) {
                s[2] = s[3];
                s[3] = v;
            } else {
                s[2] = v;
            }
        } else {
            if (s[1] < v) {
                s[0] = s[1];
                s[1] = v;
            } else {
                s[0] = v;
            }
            high_ = true;
        }
    }
}

}  // namespace vellacor::laz
