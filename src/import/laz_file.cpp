#include "import/laz_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>

#include "import/las_vlrs.h"
#include "system/two_cores.h"

namespace vellacor {

namespace {

using laz::ArithmeticDecoder;
using laz::ByteCursor;
using laz::Item;
using laz::ItemType;

constexpr std::uint16_t kLazRecordId = 22204;
constexpr std::uint16_t kSingleStream = 1;
constexpr std::uint16_t kPointwiseChunks = 2;
constexpr std::uint16_t kLayeredChunks = 3;
constexpr std::size_t kItemListOffset = 34;  // in the record's data: the item count, then 6 bytes an item
// How many points a byte of a chunk can hold at most, for the first guess at
// a chunk's size; a chunk that holds more simply grows.
constexpr std::size_t kPointsGuessedPerByte = 16;
// The most points a byte of a chunk may code. Identical points, the most
// compressible there are, come to about 150 a byte; a chunk that claims more
// than this is damaged or made to exhaust memory and time, and is not decoded.
constexpr std::uint64_t kMostPointsPerByte = 1024;

const std::uint8_t* byteAt(std::string_view bytes, std::uint64_t at) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data()) + at;
}

std::string itemName(ItemType type) {
    switch (type) {
        case ItemType::Point10: return "point";
        case ItemType::GpsTime11: return "GPS time";
        case ItemType::Rgb12: return "colour";
        case ItemType::WavePacket13: return "waveform packet";
        case ItemType::Point14: return "LAS 1.4 point";
        case ItemType::Rgb14: return "LAS 1.4 colour";
        case ItemType::RgbNir14: return "LAS 1.4 colour and near infrared";
        case ItemType::WavePacket14: return "LAS 1.4 waveform packet";
        case ItemType::Byte:
        case ItemType::Byte14: return "extra bytes";
        default: return "type " + std::to_string(static_cast<int>(type));
    }
}

// Where each chunk lies and how many points it holds.
struct ChunkPlan {
    std::uint64_t start = 0;
    std::uint64_t end = 0;  // the chunk's own end, or the point data's when not known
    std::uint64_t points = 0;
    std::uint64_t firstIndex = 0;
};

struct ChunkOutcome {
    bool whole = false;
    std::uint64_t end = 0;  // where the chunk's bytes ended, when whole
    std::string problem;
};

void keepRecord(const std::uint8_t* record, LazChunkPoints& out) {
    out.records.insert(out.records.end(), record, record + kLazKeptRecordBytes);
}

ChunkOutcome decodePointwiseChunk(std::string_view bytes, const LazScheme& scheme, const ChunkPlan& plan,
                                  LazChunkPoints& out) {
    ChunkOutcome outcome;
    std::vector<std::unique_ptr<laz::PointwiseItemDecoder>> decoders;
    for (const Item& item : scheme.items) decoders.push_back(laz::makePointwiseItemDecoder(item));
    if (plan.end < plan.start || plan.end - plan.start < scheme.recordLength) {
        outcome.problem = "is cut short";
        return outcome;
    }
    std::vector<std::uint8_t> record(scheme.recordLength);
    std::memcpy(record.data(), byteAt(bytes, plan.start), scheme.recordLength);
    const std::uint64_t guess = std::min<std::uint64_t>(plan.points, (plan.end - plan.start) * kPointsGuessedPerByte + 1);
    out.records.reserve(static_cast<std::size_t>(guess) * kLazKeptRecordBytes);
    std::size_t at = 0;
    for (std::size_t i = 0; i < decoders.size(); ++i) {
        decoders[i]->first(record.data() + at);
        at += scheme.items[i].size;
    }
    keepRecord(record.data(), out);
    ArithmeticDecoder decoder(byteAt(bytes, plan.start + scheme.recordLength), byteAt(bytes, plan.end));
    for (std::uint64_t p = 1; p < plan.points; ++p) {
        at = 0;
        for (std::size_t i = 0; i < decoders.size(); ++i) {
            decoders[i]->next(decoder, record.data() + at);
            at += scheme.items[i].size;
        }
        if (decoder.overran()) {
            outcome.problem = "is cut short";
            return outcome;
        }
        keepRecord(record.data(), out);
    }
    outcome.whole = true;
    outcome.end = plan.points > 1 ? static_cast<std::uint64_t>(decoder.position() - byteAt(bytes, 0))
                                  : plan.start + scheme.recordLength;
    return outcome;
}

ChunkOutcome decodeLayeredChunk(std::string_view bytes, const LazScheme& scheme, const ChunkPlan& plan,
                                LazChunkPoints& out) {
    ChunkOutcome outcome;
    std::vector<std::unique_ptr<laz::LayeredItemDecoder>> decoders;
    for (const Item& item : scheme.items) decoders.push_back(laz::makeLayeredItemDecoder(item));
    ByteCursor cursor{byteAt(bytes, plan.start), byteAt(bytes, std::max(plan.end, plan.start))};
    const std::uint8_t* first = cursor.take(scheme.recordLength);
    if (!first) {
        outcome.problem = "is cut short";
        return outcome;
    }
    std::vector<std::uint8_t> record(first, first + scheme.recordLength);
    std::uint32_t context = 0;
    std::size_t at = 0;
    for (std::size_t i = 0; i < decoders.size(); ++i) {
        decoders[i]->first(record.data() + at, context);
        at += scheme.items[i].size;
    }
    const std::uint32_t counted = cursor.u32();
    for (auto& decoder : decoders) decoder->readLayerSizes(cursor);
    for (auto& decoder : decoders) decoder->readLayers(cursor);
    if (cursor.failed) {
        outcome.problem = "is cut short";
        return outcome;
    }
    if (counted != plan.points) {
        outcome.problem = "holds " + std::to_string(counted) + " points where " + std::to_string(plan.points) +
                          " were expected";
        return outcome;
    }
    const std::uint64_t guess = std::min<std::uint64_t>(plan.points, (plan.end - plan.start) * kPointsGuessedPerByte + 1);
    out.records.reserve(static_cast<std::size_t>(guess) * kLazKeptRecordBytes);
    keepRecord(record.data(), out);
    for (std::uint64_t p = 1; p < plan.points; ++p) {
        at = 0;
        for (std::size_t i = 0; i < decoders.size(); ++i) {
            decoders[i]->next(record.data() + at, context);
            at += scheme.items[i].size;
        }
        if ((p & 1023) == 0 || p + 1 == plan.points) {
            for (auto& decoder : decoders)
                if (decoder->overran()) {
                    outcome.problem = "is cut short";
                    return outcome;
                }
        }
        keepRecord(record.data(), out);
    }
    outcome.whole = true;
    outcome.end = static_cast<std::uint64_t>(cursor.at - byteAt(bytes, 0));
    return outcome;
}

ChunkOutcome decodeChunk(std::string_view bytes, const LazScheme& scheme, const ChunkPlan& plan, LazChunkPoints& out) {
    out.firstIndex = plan.firstIndex;
    if (plan.end < plan.start || plan.points > (plan.end - plan.start) * kMostPointsPerByte) {
        ChunkOutcome refused;
        refused.problem = "claims more points than its bytes can hold";
        return refused;
    }
    ChunkOutcome outcome = scheme.compressor == kLayeredChunks ? decodeLayeredChunk(bytes, scheme, plan, out)
                                                               : decodePointwiseChunk(bytes, scheme, plan, out);
    if (!outcome.whole) std::vector<std::uint8_t>().swap(out.records);
    return outcome;
}

// The chunk table: where it is (its offset follows the point data's first
// eight bytes, or, when that is -1, the file's last eight), then its
// chunks' byte counts (and point counts when chunks vary), each coded from
// the one before. Nothing when there is no usable table.
struct ChunkTable {
    std::vector<std::uint64_t> bytes;
    std::vector<std::uint64_t> points;  // when chunks vary
    std::string problem;
};

ChunkTable readChunkTable(std::string_view bytes, const LazScheme& scheme, const LazPointData& data) {
    ChunkTable table;
    auto offset = lasLittle<std::int64_t>(bytes, data.firstRecord);
    if (offset == -1 && bytes.size() >= 8) offset = lasLittle<std::int64_t>(bytes, bytes.size() - 8);
    const std::uint64_t chunksStart = data.firstRecord + 8;
    if (offset <= 0 || static_cast<std::uint64_t>(offset) < chunksStart ||
        static_cast<std::uint64_t>(offset) + 8 > bytes.size()) {
        table.problem = "its chunk table lies outside the file";
        return table;
    }
    const auto at = static_cast<std::uint64_t>(offset);
    const auto version = lasLittle<std::uint32_t>(bytes, at);
    const auto count = lasLittle<std::uint32_t>(bytes, at + 4);
    // Every chunk holds at least its first record raw, which bounds how many
    // a file of this size can have.
    const std::uint64_t mostChunks = (at - chunksStart) / std::max<std::size_t>(scheme.recordLength, 1);
    if (version != 0 || count > mostChunks) {
        table.problem = version != 0 ? "its chunk table is of an unknown version"
                                     : "its chunk table counts more chunks than the file can hold";
        return table;
    }
    const bool variable = scheme.chunkSize == kVariableChunks;
    ArithmeticDecoder decoder(byteAt(bytes, at + 8), byteAt(bytes, bytes.size()));
    laz::IntegerDecoder sizes(32, 2);
    std::int32_t lastPoints = 0, lastBytes = 0;
    table.bytes.reserve(count);
    if (variable) table.points.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (variable) {
            lastPoints = sizes.decode(decoder, lastPoints, 0);
            table.points.push_back(static_cast<std::uint32_t>(lastPoints));
        }
        lastBytes = sizes.decode(decoder, lastBytes, 1);
        table.bytes.push_back(static_cast<std::uint32_t>(lastBytes));
        if (decoder.overran()) {
            table = {};
            table.problem = "its chunk table is cut short";
            return table;
        }
    }
    return table;
}

// The chunks in the table, their starts added up from the point data's
// start; the point counts come from the table or the fixed chunk size, and
// end where the header's count ends.
std::vector<ChunkPlan> plansFromTable(const ChunkTable& table, const LazScheme& scheme, const LazPointData& data,
                                      std::vector<std::string>& problems) {
    std::vector<ChunkPlan> plans;
    std::uint64_t start = data.firstRecord + 8, index = 0;
    const std::uint64_t end = data.end;
    for (std::size_t i = 0; i < table.bytes.size() && index < data.countedRecords; ++i) {
        ChunkPlan plan;
        plan.start = start;
        plan.end = start + table.bytes[i];
        plan.firstIndex = index;
        // A fixed chunk holds the chunk size, the last one what is left of
        // the header's count, and never more than the chunk size.
        plan.points = table.points.empty() ? scheme.chunkSize : table.points[i];
        plan.points = std::min(plan.points, data.countedRecords - index);
        if (plan.end > end) {
            problems.push_back("its chunk table points past the end of its points");
            break;
        }
        plans.push_back(plan);
        start = plan.end;
        index += plan.points;
    }
    if (index < data.countedRecords && problems.empty())
        problems.push_back("its chunks hold " + std::to_string(index) + " of the " +
                           std::to_string(data.countedRecords) + " points its header counts");
    return plans;
}

std::string pointsText(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " point" : " points"); }

// Decodes the planned chunks, on two threads taking chunks in turn.
void decodePlannedChunks(std::string_view bytes, const LazScheme& scheme, const std::vector<ChunkPlan>& plans,
                         std::vector<LazChunkPoints>& chunks, std::vector<ChunkOutcome>& outcomes,
                         const std::function<void(std::size_t, std::size_t)>& progress) {
    chunks.assign(plans.size(), {});
    outcomes.assign(plans.size(), {});
    std::atomic<std::size_t> nextChunk{0}, finished{0};
    std::mutex progressLock;
    auto work = [&] {
        for (std::size_t i; (i = nextChunk.fetch_add(1)) < plans.size();) {
            outcomes[i] = decodeChunk(bytes, scheme, plans[i], chunks[i]);
            const std::size_t done = finished.fetch_add(1) + 1;
            if (progress) {
                std::lock_guard lock(progressLock);
                progress(done, plans.size());
            }
        }
    };
    if (plans.size() > 1)
        runOnTwoCores(work, work);
    else
        work();
}

// Without a table the chunks are found one after another: each starts where
// the one before ended, and holds the fixed number of points.
void decodeChunksInTurn(std::string_view bytes, const LazScheme& scheme, const LazPointData& data,
                        std::vector<LazChunkPoints>& chunks, std::vector<ChunkOutcome>& outcomes,
                        std::vector<std::string>& problems) {
    std::uint64_t start = scheme.compressor == kSingleStream ? data.firstRecord : data.firstRecord + 8, index = 0;
    while (index < data.countedRecords && start < data.end) {
        ChunkPlan plan{start, data.end, data.countedRecords - index, index};
        if (scheme.compressor != kSingleStream) plan.points = std::min<std::uint64_t>(plan.points, scheme.chunkSize);
        LazChunkPoints chunk;
        ChunkOutcome outcome = decodeChunk(bytes, scheme, plan, chunk);
        chunks.push_back(std::move(chunk));
        outcomes.push_back(outcome);
        if (!outcome.whole) break;
        start = outcome.end;
        index += plan.points;
    }
    if (index < data.countedRecords && (outcomes.empty() || outcomes.back().whole))
        problems.push_back("its points end after " + std::to_string(index) + " of the " +
                           std::to_string(data.countedRecords) + " its header counts");
}

}  // namespace

LazSchemeRead readLazScheme(std::string_view bytes) {
    LazSchemeRead result;
    const std::vector<LasVlr> vlrs = readLasVlrs(bytes);
    const LasVlr* vlr = findLasVlr(vlrs, "laszip encoded", kLazRecordId);
    if (!vlr || vlr->extended || vlr->dataLength < kItemListOffset + 2) {
        result.refusal = "The LAS file is marked compressed but has no LAZ record saying how.";
        return result;
    }
    const std::uint64_t at = vlr->dataOffset;
    LazScheme& scheme = result.scheme;
    scheme.compressor = lasLittle<std::uint16_t>(bytes, at);
    scheme.chunkSize = lasLittle<std::uint32_t>(bytes, at + 12);
    const auto count = lasLittle<std::uint16_t>(bytes, at + kItemListOffset - 2);
    if (kItemListOffset + 6u * count > vlr->dataLength) {
        result.refusal = "The LAZ file's compression record is damaged: it lists more items than it holds.";
        return result;
    }
    if (scheme.compressor != kSingleStream && scheme.compressor != kPointwiseChunks &&
        scheme.compressor != kLayeredChunks) {
        result.refusal = "The LAZ file uses compressor " + std::to_string(scheme.compressor) +
                         ", which this program does not know.";
        return result;
    }
    // Some writers mark layered points as point-wise: the first item, the
    // point, says which coding the chunks use.
    const auto firstType = static_cast<ItemType>(lasLittle<std::uint16_t>(bytes, at + kItemListOffset));
    if (count > 0 && firstType == ItemType::Point14) scheme.compressor = kLayeredChunks;
    if (scheme.compressor != kSingleStream && scheme.chunkSize == 0) {
        result.refusal = "The LAZ file's compression record is damaged: its chunks hold no points.";
        return result;
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        Item item;
        item.type = static_cast<ItemType>(lasLittle<std::uint16_t>(bytes, at + kItemListOffset + 6u * i));
        item.size = lasLittle<std::uint16_t>(bytes, at + kItemListOffset + 6u * i + 2);
        item.version = lasLittle<std::uint16_t>(bytes, at + kItemListOffset + 6u * i + 4);
        const bool known = scheme.compressor == kLayeredChunks ? laz::makeLayeredItemDecoder(item) != nullptr
                                                               : laz::makePointwiseItemDecoder(item) != nullptr;
        if (!known) {
            result.refusal = "The LAZ file's points hold a " + itemName(item.type) + " item of version " +
                             std::to_string(item.version) + " (" + std::to_string(item.size) +
                             " bytes), which this program cannot decompress.";
            return result;
        }
        scheme.items.push_back(item);
        scheme.recordLength += item.size;
    }
    if (scheme.items.empty() || scheme.recordLength < kLazKeptRecordBytes) {
        result.refusal = "The LAZ file's compression record is damaged: its items make no point record.";
        return result;
    }
    return result;
}

LazDecodeResult decodeLazPoints(std::string_view bytes, const LazScheme& scheme, const LazPointData& data,
                                const std::function<void(std::size_t, std::size_t)>& progress) {
    LazDecodeResult result;
    std::vector<std::string> problems;
    std::vector<ChunkOutcome> outcomes;
    if (scheme.compressor == kSingleStream) {
        decodeChunksInTurn(bytes, scheme, data, result.chunks, outcomes, problems);
    } else {
        const ChunkTable table = readChunkTable(bytes, scheme, data);
        if (table.problem.empty()) {
            const std::vector<ChunkPlan> plans = plansFromTable(table, scheme, data, problems);
            decodePlannedChunks(bytes, scheme, plans, result.chunks, outcomes, progress);
        } else if (scheme.chunkSize != kVariableChunks) {
            decodeChunksInTurn(bytes, scheme, data, result.chunks, outcomes, problems);
        } else {
            problems.push_back(table.problem);
        }
    }
    std::uint64_t lostChunks = 0;
    std::string firstLoss;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        if (outcomes[i].whole) continue;
        if (lostChunks++ == 0) firstLoss = "chunk " + std::to_string(i + 1) + " " + outcomes[i].problem;
    }
    std::erase_if(result.chunks, [](const LazChunkPoints& chunk) { return chunk.records.empty(); });
    for (const LazChunkPoints& chunk : result.chunks) result.points += chunk.count();
    if (lostChunks > 0)
        problems.push_back(firstLoss + (lostChunks > 1 ? " (and " + std::to_string(lostChunks - 1) + " more)" : ""));
    if (!problems.empty()) {
        std::string text = "The LAZ file is damaged: ";
        for (std::size_t i = 0; i < problems.size(); ++i) text += (i ? "; " : "") + problems[i];
        text += ". " + std::to_string(result.points) + " of the " + pointsText(data.countedRecords) +
                " its header counts were read, from whole chunks only.";
        result.problem = std::move(text);
    }
    return result;
}

}  // namespace vellacor
