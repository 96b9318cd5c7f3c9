#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "import/laz_arithmetic.h"

// The decoders of the items a LAZ point record is made of. A compressed
// record is a list of items (the core point, GPS time, colour, ...), each
// with a type, a size in bytes and a version of its coding; the record's
// bytes are the items' bytes one after another, exactly as the uncompressed
// LAS record holds them.
namespace vellacor::laz {

enum class ItemType : std::uint16_t {
    Byte = 0,  // extra bytes of formats 0-5
    Short = 1,
    Integer = 2,
    Long = 3,
    Float = 4,
    Double = 5,
    Point10 = 6,  // the core 20 bytes of formats 0-5
    GpsTime11 = 7,
    Rgb12 = 8,
    WavePacket13 = 9,
    Point14 = 10,  // the core 30 bytes of formats 6-10
    Rgb14 = 11,
    RgbNir14 = 12,
    WavePacket14 = 13,
    Byte14 = 14,  // extra bytes of formats 6-10
};

struct Item {
    ItemType type{};
    std::uint16_t size = 0;
    std::uint16_t version = 0;
};

// A bounded reader of a chunk's plain (not arithmetic-coded) bytes.
struct ByteCursor {
    const std::uint8_t* at = nullptr;
    const std::uint8_t* end = nullptr;
    bool failed = false;  // something was asked for past the end

    std::size_t left() const { return static_cast<std::size_t>(end - at); }
    // The next n bytes, or nullptr (and failed) when fewer are left.
    const std::uint8_t* take(std::size_t n) {
        if (failed || n > left()) {
            failed = true;
            return nullptr;
        }
        const std::uint8_t* here = at;
        at += n;
        return here;
    }
    std::uint32_t u32() {
        const std::uint8_t* p = take(4);
        std::uint32_t v = 0;
        if (p) std::memcpy(&v, p, 4);
        return v;
    }
};

// One item of the point-wise coding (formats 0-5; versions 1 and 2). Each
// chunk stores its first record raw, then one arithmetic stream that every
// item of every later record is decoded from in turn.
class PointwiseItemDecoder {
public:
    virtual ~PointwiseItemDecoder() = default;
    // The chunk's first record's bytes of this item: where predictions start.
    virtual void first(const std::uint8_t* item) = 0;
    // Writes the next record's bytes of this item.
    virtual void next(ArithmeticDecoder& decoder, std::uint8_t* item) = 0;
};

// One item of the layered coding (formats 6-10; version 3). Each chunk
// stores its first record raw, then its point count, then the byte count of
// every layer of every item in item order, then the layers' bytes in the
// same order; each layer is an arithmetic stream of its own, and a layer
// of no bytes means that field never changes in the chunk.
class LayeredItemDecoder {
public:
    virtual ~LayeredItemDecoder() = default;
    // The first record's bytes of this item; the point item sets the
    // context (the scanner channel) that the others follow.
    virtual void first(const std::uint8_t* item, std::uint32_t& context) = 0;
    // The byte counts of this item's layers, four bytes each.
    virtual void readLayerSizes(ByteCursor& cursor) = 0;
    // This item's layers, taken from the cursor in order.
    virtual void readLayers(ByteCursor& cursor) = 0;
    // Writes the next record's bytes of this item.
    virtual void next(std::uint8_t* item, std::uint32_t& context) = 0;
    // Whether any layer asked for bytes past its end.
    virtual bool overran() const = 0;
};

// A decoder for the item, or nullptr when this program does not know its
// type or version. The record's point format is not needed: the items say
// everything.
std::unique_ptr<PointwiseItemDecoder> makePointwiseItemDecoder(const Item& item);
std::unique_ptr<LayeredItemDecoder> makeLayeredItemDecoder(const Item& item);
// The first version's point, GPS time, colour and extra-byte items, which
// older files use; makePointwiseItemDecoder passes them here.
std::unique_ptr<PointwiseItemDecoder> makePointwiseVersion1ItemDecoder(const Item& item);

}  // namespace vellacor::laz
