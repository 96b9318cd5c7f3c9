// Feeds arbitrary bytes to the LAZ decoder as the compressed points of a
// file whose header and compression record are sound: the first bytes of the
// input choose the point format's items, the compressor and the chunk size,
// the rest is the point data (chunk table pointer, chunks, table). Checks
// that whatever it decodes comes in whole chunks, in file order, never more
// than the header counts.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "import/laz_file.h"

namespace {

using namespace vellacor;
using fuzzing::check;

struct ItemList {
    std::uint16_t compressor;
    std::vector<laz::Item> items;
};

laz::Item item(laz::ItemType type, std::uint16_t size, std::uint16_t version) { return {type, size, version}; }

std::vector<ItemList> itemLists() {
    using T = laz::ItemType;
    return {
        {2, {item(T::Point10, 20, 2)}},
        {2, {item(T::Point10, 20, 2), item(T::GpsTime11, 8, 2), item(T::Rgb12, 6, 2), item(T::Byte, 3, 2)}},
        {1, {item(T::Point10, 20, 2), item(T::GpsTime11, 8, 2), item(T::WavePacket13, 29, 1)}},
        {2, {item(T::Point10, 20, 1), item(T::GpsTime11, 8, 1), item(T::Rgb12, 6, 1), item(T::Byte, 2, 1)}},
        {3, {item(T::Point14, 30, 3)}},
        {3, {item(T::Point14, 30, 3), item(T::RgbNir14, 8, 3), item(T::Byte14, 4, 3)}},
        {3, {item(T::Point14, 30, 3), item(T::Rgb14, 6, 3), item(T::WavePacket14, 29, 3)}},
    };
}

template <typename T>
void put(std::string& bytes, std::size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    static const std::vector<ItemList> lists = itemLists();
    const ItemList& list = lists[data[0] % lists.size()];
    const std::uint32_t chunkSize = data[1] == 255   ? kVariableChunks
                                  : data[1] == 254 ? 50000
                                                   : std::uint32_t{data[1]} % 64 + 1;
    const std::uint32_t counted = std::uint32_t{data[2]} * 8 + data[3] % 8;

    // A 1.2 header, the compression record, then the fuzzer's point data.
    constexpr std::size_t kHeader = 227, kVlrHeader = 54;
    const std::size_t vlrData = 34 + 6 * list.items.size();
    std::string bytes(kHeader + kVlrHeader + vlrData, '\0');
    std::memcpy(bytes.data(), "LASF", 4);
    bytes[24] = 1;
    bytes[25] = 2;
    put<std::uint16_t>(bytes, 94, kHeader);
    put<std::uint32_t>(bytes, 96, static_cast<std::uint32_t>(bytes.size()));
    put<std::uint32_t>(bytes, 100, 1);
    put<std::uint32_t>(bytes, 107, counted);
    std::memcpy(bytes.data() + kHeader + 2, "laszip encoded", 14);
    put<std::uint16_t>(bytes, kHeader + 18, 22204);
    put<std::uint16_t>(bytes, kHeader + 20, static_cast<std::uint16_t>(vlrData));
    const std::size_t at = kHeader + kVlrHeader;
    put<std::uint16_t>(bytes, at, list.compressor);
    put<std::uint32_t>(bytes, at + 12, chunkSize);
    put<std::uint16_t>(bytes, at + 32, static_cast<std::uint16_t>(list.items.size()));
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        put<std::uint16_t>(bytes, at + 34 + 6 * i, static_cast<std::uint16_t>(list.items[i].type));
        put<std::uint16_t>(bytes, at + 36 + 6 * i, list.items[i].size);
        put<std::uint16_t>(bytes, at + 38 + 6 * i, list.items[i].version);
    }
    const std::size_t pointData = bytes.size();
    bytes.append(reinterpret_cast<const char*>(data) + 4, size - 4);

    const LazSchemeRead scheme = readLazScheme(bytes);
    if (!scheme.refusal.empty()) return 0;
    const LazDecodeResult result = decodeLazPoints(bytes, scheme.scheme, {pointData, counted, bytes.size()});
    check(result.points <= counted);
    std::uint64_t total = 0, nextIndex = 0;
    for (const LazChunkPoints& chunk : result.chunks) {
        check(chunk.records.size() % kLazKeptRecordBytes == 0 && chunk.count() > 0);
        check(chunk.firstIndex >= nextIndex);
        nextIndex = chunk.firstIndex + chunk.count();
        total += chunk.count();
    }
    check(total == result.points && nextIndex <= counted);
    check(result.points == counted || !result.problem.empty() || counted == 0);
    return 0;
}
