#pragma once
#include <cstdint>
#include <cstring>
#include <memory>

#include "import/laz_fields.h"
#include "import/laz_items.h"

// What the decoders of the layered items (point formats 6-10) share: the
// layers each field is coded in, the scanner channels the point item keeps
// apart, and the byte access of the records.
namespace vellacor::laz::layered {

// Each scanner channel has its own last record and its own models; a chunk
// opens a channel's the first time one of its points comes.
inline constexpr std::uint32_t kChannels = 4;

// One layer of a chunk: its byte count, then an arithmetic stream of its own
// over that many bytes. A layer of no bytes codes a field that does not change
// in the chunk; it has no stream.
class Layer {
public:
    void readSize(ByteCursor& cursor) { size_ = cursor.u32(); }

    // Takes the layer's bytes from the cursor; a stream is started when there
    // are any.
    void read(ByteCursor& cursor) {
        present_ = false;
        if (size_ == 0) return;
        const std::uint8_t* bytes = cursor.take(size_);
        if (!bytes) return;
        decoder_.start(bytes, bytes + size_);
        present_ = true;
    }
    // Takes the bytes of a layer that is decoded whatever its size: a layer
    // of too few bytes overruns at once.
    void readAlways(ByteCursor& cursor) {
        const std::uint8_t* bytes = cursor.take(size_);
        if (bytes)
            decoder_.start(bytes, bytes + size_);
        else
            decoder_.start(cursor.end, cursor.end);
        present_ = true;
    }

    // Whether the field changes in this chunk, so its stream is decoded.
    bool present() const { return present_; }
    ArithmeticDecoder& decoder() { return decoder_; }
    bool overran() const { return present_ && decoder_.overran(); }

private:
    std::uint32_t size_ = 0;
    bool present_ = false;
    ArithmeticDecoder decoder_;
};

// The decoder of the core 30 bytes. Version 4 tells the other items the
// scanner channel on every point; version 3 only on a point that changes it.
std::unique_ptr<LayeredItemDecoder> makePoint14Decoder(bool channelEveryPoint);

}  // namespace vellacor::laz::layered
