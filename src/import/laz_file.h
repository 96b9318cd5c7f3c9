#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "import/laz_items.h"

namespace vellacor {

// How a LAZ file's points are compressed, from its "laszip encoded" record.
struct LazScheme {
    std::uint16_t compressor = 0;  // 1 one stream, 2 point-wise chunks, 3 layered chunks
    std::uint32_t chunkSize = 0;   // points a chunk holds; kVariableChunks when each chunk says
    std::vector<laz::Item> items;
    std::size_t recordLength = 0;  // the items' bytes added up
};
inline constexpr std::uint32_t kVariableChunks = 0xFFFFFFFFu;

// The scheme from the file's records, or why the points cannot be decoded
// (no such record, an unknown compressor, item or version) in `refusal`.
struct LazSchemeRead {
    LazScheme scheme;
    std::string refusal;
};
LazSchemeRead readLazScheme(std::string_view bytes);

// The records kept of each decoded point: their first bytes, which hold the
// coordinates, the return and flag bytes and the class in every point
// format.
inline constexpr std::size_t kLazKeptRecordBytes = 20;

// The decoded points of one chunk, their records cut to kLazKeptRecordBytes.
struct LazChunkPoints {
    std::uint64_t firstIndex = 0;  // the place of its first point in the file, from 0
    std::vector<std::uint8_t> records;
    std::size_t count() const { return records.size() / kLazKeptRecordBytes; }
};

struct LazDecodeResult {
    std::vector<LazChunkPoints> chunks;  // in file order; damaged chunks left out
    std::uint64_t points = 0;            // in the chunks
    std::string problem;                 // what was wrong with the file, when anything
};

// Where the point data starts and how many points the header counts: the
// decoder stops there.
struct LazPointData {
    std::uint64_t firstRecord = 0;
    std::uint64_t countedRecords = 0;
    std::uint64_t end = 0;  // the first byte after the point data (the extended records' start, or the end)
};

// Decodes every point of the file's chunks, on both cores when there are
// several; a chunk that is cut short or damaged is dropped whole. Memory
// grows with the points actually decoded, never with a count the file
// states. `progress` hears (done, total) in chunks.
LazDecodeResult decodeLazPoints(std::string_view bytes, const LazScheme& scheme, const LazPointData& data,
                                const std::function<void(std::size_t, std::size_t)>& progress = {});

}  // namespace vellacor
