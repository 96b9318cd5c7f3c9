// The layered LAZ items (point formats 6-10) on what whole files do not
// show: chunks cut short or damaged are reported and never read past, and
// fields that never change in a chunk keep their first value on every
// scanner channel.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "import/laz_file.h"
#include "import/laz_items.h"
#include "support/las_bytes.h"
#include "support/temp_files.h"

namespace vellacor::testing {
namespace {

namespace fs = std::filesystem;
using laz::ByteCursor;
using laz::Item;
using laz::ItemType;

const fs::path& kShared = kSharedLas;

std::string readAll(const fs::path& path) { return readFile(path.string()); }

// The one chunk of a small file: its items, bytes and points.
struct Chunk {
    std::vector<Item> items;
    std::size_t recordLength = 0;
    std::vector<std::uint8_t> bytes;
    std::uint64_t points = 0;
};

Chunk onlyChunk(const std::string& name) {
    const std::string file = readAll(kShared / name);
    const LazSchemeRead scheme = readLazScheme(file);
    EXPECT_TRUE(scheme.refusal.empty()) << name;
    Chunk chunk;
    chunk.items = scheme.scheme.items;
    chunk.recordLength = scheme.scheme.recordLength;
    const auto start = getLittle<std::uint32_t>(file, 96) + std::size_t{8};
    const auto table = static_cast<std::size_t>(getLittle<std::int64_t>(file, start - 8));
    chunk.bytes.assign(file.begin() + static_cast<std::ptrdiff_t>(start),
                       file.begin() + static_cast<std::ptrdiff_t>(table));
    chunk.points = getLittle<std::uint64_t>(file, 247);
    return chunk;
}

// Decodes every point the chunk should hold from exactly these bytes (a
// buffer of their size, so that reading past them is caught where memory
// is checked); whether any item overran.
bool decodeOverruns(const Chunk& chunk, const std::vector<std::uint8_t>& bytes) {
    std::vector<std::unique_ptr<laz::LayeredItemDecoder>> decoders;
    for (const Item& item : chunk.items) decoders.push_back(laz::makeLayeredItemDecoder(item));
    const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size()]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    ByteCursor cursor{exact.get(), exact.get() + bytes.size()};
    const std::uint8_t* first = cursor.take(chunk.recordLength);
    if (!first) return true;
    std::uint32_t context = 0;
    std::size_t at = 0;
    for (std::size_t i = 0; i < decoders.size(); at += chunk.items[i++].size) decoders[i]->first(first + at, context);
    cursor.u32();
    for (auto& decoder : decoders) decoder->readLayerSizes(cursor);
    for (auto& decoder : decoders) decoder->readLayers(cursor);
    std::vector<std::uint8_t> record(chunk.recordLength);
    for (std::uint64_t p = 1; p < chunk.points; ++p) {
        at = 0;
        for (std::size_t i = 0; i < decoders.size(); at += chunk.items[i++].size)
            decoders[i]->next(record.data() + at, context);
    }
    bool overran = false;
    for (auto& decoder : decoders) overran = overran || decoder->overran();
    return overran;
}

TEST(LazLayered, ChunksCutShortOrWithLayersTooShortAreReportedAndNeverReadPast) {
    if (!fs::exists(kShared / "append-bug.laz")) GTEST_SKIP() << "no shared data folder beside the project";
    for (const char* name : {"1_4_w_evlr.laz", "append-bug.laz"}) {
        const Chunk chunk = onlyChunk(name);
        ASSERT_FALSE(decodeOverruns(chunk, chunk.bytes)) << name;

        // Cut anywhere after the layer sizes: some layer has fewer bytes than it says.
        const std::size_t layers = chunk.recordLength + 4 + 4 * 9;
        for (std::size_t cut = layers; cut < chunk.bytes.size(); cut += (chunk.bytes.size() - layers) / 7 + 1) {
            const std::vector<std::uint8_t> shortened(chunk.bytes.begin(),
                                                      chunk.bytes.begin() + static_cast<std::ptrdiff_t>(cut));
            EXPECT_TRUE(decodeOverruns(chunk, shortened)) << name << " cut at " << cut;
        }

        // The coordinates' layer said to be 8 bytes long: its stream runs out.
        std::vector<std::uint8_t> tooShort = chunk.bytes;
        const std::uint32_t eight = 8;
        std::memcpy(tooShort.data() + chunk.recordLength + 4, &eight, 4);
        EXPECT_TRUE(decodeOverruns(chunk, tooShort)) << name;

        // A layer said to be larger than the file.
        std::vector<std::uint8_t> huge = chunk.bytes;
        const std::uint32_t most = 0xFFFFFFF0u;
        std::memcpy(huge.data() + chunk.recordLength + 4 + 4 * 2, &most, 4);
        EXPECT_TRUE(decodeOverruns(chunk, huge)) << name;

        // Bytes of the layers overwritten: whatever comes out, nothing is read
        // outside the chunk.
        std::uint32_t noise = 12345;
        for (int round = 0; round < 8; ++round) {
            std::vector<std::uint8_t> damaged = chunk.bytes;
            for (int k = 0; k < 16; ++k) {
                noise = noise * 1103515245u + 12345u;
                damaged[layers + (noise >> 8) % (damaged.size() - layers)] = static_cast<std::uint8_t>(noise >> 24);
            }
            decodeOverruns(chunk, damaged);
        }
    }
}

TEST(LazLayered, FieldsWithoutBytesKeepTheFirstRecordOnEveryChannel) {
    const std::vector<Item> items = {{ItemType::Rgb14, 6, 3},    {ItemType::RgbNir14, 8, 3},
                                     {ItemType::Byte14, 5, 3},   {ItemType::WavePacket14, 29, 3},
                                     {ItemType::RgbNir14, 8, 4}, {ItemType::Byte14, 5, 4}};
    for (const Item& item : items) {
        const auto decoder = laz::makeLayeredItemDecoder(item);
        ASSERT_NE(decoder, nullptr);
        std::vector<std::uint8_t> first(item.size);
        for (std::size_t i = 0; i < first.size(); ++i) first[i] = static_cast<std::uint8_t>(0xA0 + i);
        std::uint32_t context = 1;
        decoder->first(first.data(), context);

        const std::vector<std::uint8_t> sizes(4 * 8, 0);  // a layer of no bytes each
        ByteCursor cursor{sizes.data(), sizes.data() + sizes.size()};
        decoder->readLayerSizes(cursor);
        decoder->readLayers(cursor);
        ASSERT_FALSE(cursor.failed);

        for (const std::uint32_t channel : {1u, 0u, 2u, 2u, 1u, 3u, 0u}) {
            context = channel;
            std::vector<std::uint8_t> record(item.size, 0);
            decoder->next(record.data(), context);
            EXPECT_EQ(record, first) << "item " << static_cast<int>(item.type) << " channel " << channel;
        }
        EXPECT_FALSE(decoder->overran());
    }
}

}  // namespace
}  // namespace vellacor::testing
