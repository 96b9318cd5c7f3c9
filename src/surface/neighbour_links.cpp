#include "surface/neighbour_links.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "model/survey_point.h"
#include "system/two_cores.h"

namespace vellacor {

namespace {

// Open-addressing table from an undirected edge to the first edge id
// (3 * triangle + slot) seen with it, with linear probing and backward-shift
// deletion so that it never fills with tombstones.
class WaitingEdges {
public:
    WaitingEdges() { resize(1u << 14); }

    // The index of the entry for `key`; when there is none, `edge` is
    // entered for it and npos returned.
    std::size_t findOrInsert(std::uint64_t key, std::int32_t edge) {
        if (4 * (size_ + 1) > slots_.size()) resize(2 * slots_.size());
        std::size_t i = home(key);
        for (; slots_[i].key != kEmpty; i = (i + 1) & mask_)
            if (slots_[i].key == key) return i;
        slots_[i] = {key, edge};
        ++size_;
        return npos;
    }
    std::int32_t edgeAt(std::size_t i) const { return slots_[i].edge; }

    void erase(std::size_t i) {
        std::size_t j = i;
        for (;;) {
            j = (j + 1) & mask_;
            if (slots_[j].key == kEmpty) break;
            const std::size_t k = home(slots_[j].key);
            // Move the entry back unless its home lies cyclically in (i, j].
            const bool stays = i <= j ? (i < k && k <= j) : (i < k || k <= j);
            if (!stays) {
                slots_[i] = slots_[j];
                i = j;
            }
        }
        slots_[i].key = kEmpty;
        --size_;
    }

    static constexpr std::size_t npos = std::numeric_limits<std::size_t>::max();

private:
    static constexpr std::uint64_t kEmpty = std::numeric_limits<std::uint64_t>::max();
    struct Slot {
        std::uint64_t key = kEmpty;
        std::int32_t edge = 0;
    };

    std::size_t home(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
    }

    void resize(std::size_t capacity) {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(capacity, Slot{});
        mask_ = capacity - 1;
        shift_ = 64 - static_cast<int>(std::countr_zero(capacity));
        size_ = 0;
        for (const Slot& s : old)
            if (s.key != kEmpty) findOrInsert(s.key, s.edge);
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    int shift_ = 0;
    std::size_t size_ = 0;
};

}  // namespace

bool linkNeighbours(const TinTriangle* triangles, int count, std::vector<std::int32_t>& links,
                    std::vector<HullEdge>& hullEdges, const std::function<bool(double)>& carryOn) {
    links.assign(3 * static_cast<std::size_t>(std::max(count, 0)), kNoTriangle);
    hullEdges.clear();
    WaitingEdges waiting;
    for (int t = 0; t < count; ++t) {
        if ((t & 0x3FFF) == 0 && !carryOn(static_cast<double>(t) / count)) return false;
        const TinTriangle& triangle = triangles[t];
        for (int k = 0; k < 3; ++k) {
            const std::int32_t a = triangle.vertex[k], b = triangle.vertex[(k + 1) % 3];
            if (a == b || a < 0 || b < 0) continue;
            const std::uint64_t key =
                (static_cast<std::uint64_t>(std::min(a, b)) << 32) | static_cast<std::uint32_t>(std::max(a, b));
            const std::size_t found = waiting.findOrInsert(key, 3 * t + k);
            if (found == WaitingEdges::npos) continue;
            const std::int32_t other = waiting.edgeAt(found);
            if (other / 3 == t) continue;  // the same edge twice in one broken triangle
            links[3 * static_cast<std::size_t>(t) + static_cast<std::size_t>(k)] = other / 3;
            links[static_cast<std::size_t>(other)] = t;
            waiting.erase(found);
        }
    }
    hullEdges = hullEdgesOf(links);
    return true;
}

std::vector<HullEdge> hullEdgesOf(const std::vector<std::int32_t>& links) {
    std::vector<HullEdge> hull;
    for (std::size_t e = 0; e < links.size(); ++e)
        if (links[e] == kNoTriangle)
            hull.push_back({static_cast<std::int32_t>(e / 3), static_cast<std::int32_t>(e % 3)});
    return hull;
}

namespace {

inline std::uint64_t mixIn(std::uint64_t state, std::uint64_t value) {
    state += value + 0x9E3779B97F4A7C15ull;
    state = (state ^ (state >> 30)) * 0xBF58476D1CE4E5B9ull;
    state = (state ^ (state >> 27)) * 0x94D049BB133111EBull;
    return state ^ (state >> 31);
}

// Each triangle's vertices mixed into a running state (splitmix64 steps).
std::uint64_t digestOfBlock(const TinTriangle* triangles, int count, int block) {
    const int from = block * kDigestBlock, to = std::min(count, from + kDigestBlock);
    std::uint64_t state = 0x6A09E667F3BCC909ull ^ static_cast<std::uint64_t>(block);
    for (int t = from; t < to; ++t) {
        const TinTriangle& triangle = triangles[t];
        const std::uint64_t word = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(triangle.vertex[0])) << 32) |
                                   static_cast<std::uint32_t>(triangle.vertex[1]);
        state = mixIn(state, word);
        state = mixIn(state, static_cast<std::uint32_t>(triangle.vertex[2]));
    }
    return state;
}

void appendHullEdges(const TinTriangle* triangles, int from, int to, std::vector<HullEdge>& hull) {
    for (int t = from; t < to; ++t)
        for (int k = 0; k < 3; ++k)
            if (triangles[t].neighbour[k] == kNoTriangle) hull.push_back({t, k});
}

}  // namespace

void digestBlocks(const TinTriangle* triangles, int count, int firstBlock, int lastBlock, std::uint64_t* blocks) {
    for (int b = firstBlock; b < lastBlock; ++b) blocks[b] = digestOfBlock(triangles, count, b);
}

std::uint64_t chainBlockDigests(const std::vector<std::uint64_t>& blocks, int count) {
    std::uint64_t state = 0x6A09E667F3BCC909ull ^ static_cast<std::uint64_t>(count);
    for (std::uint64_t block : blocks) state = mixIn(state, block);
    return state;
}

std::uint64_t triangleDigest(const TinTriangle* triangles, int count) {
    std::vector<std::uint64_t> blocks(static_cast<std::size_t>(digestBlockCount(std::max(count, 0))));
    digestBlocks(triangles, count, 0, static_cast<int>(blocks.size()), blocks.data());
    return chainBlockDigests(blocks, count);
}

std::uint64_t digestAndHullEdges(const TinTriangle* triangles, int count, std::vector<HullEdge>& hullEdges) {
    count = std::max(count, 0);
    const int blockCount = digestBlockCount(count);
    std::vector<std::uint64_t> blocks(static_cast<std::size_t>(blockCount));
    const int middleBlock = blockCount / 2;
    const int middle = std::min(count, middleBlock * kDigestBlock);
    std::vector<HullEdge> secondHull;
    hullEdges.clear();
    runOnTwoCores(
        [&] {
            digestBlocks(triangles, count, middleBlock, blockCount, blocks.data());
            appendHullEdges(triangles, middle, count, secondHull);
        },
        [&] {
            digestBlocks(triangles, count, 0, middleBlock, blocks.data());
            appendHullEdges(triangles, 0, middle, hullEdges);
        });
    hullEdges.insert(hullEdges.end(), secondHull.begin(), secondHull.end());
    return chainBlockDigests(blocks, count);
}

}  // namespace vellacor
