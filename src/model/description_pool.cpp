#include "model/description_pool.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <vector>

namespace vellacor {

namespace {

struct StoredText {
    std::uint8_t size = 0;
    char bytes[kLongestPooledText] = {};
    std::string_view view() const { return {bytes, size}; }
};

// Texts live in chunks that never move, so a text is read without a lock:
// a number only reaches a reader through whatever handed it the point, after
// the text was written.
constexpr unsigned kChunkBits = 16;
constexpr std::size_t kChunkSize = std::size_t{1} << kChunkBits;
constexpr std::size_t kChunkCount = std::size_t{1} << (32 - kChunkBits);

}  // namespace

struct DescriptionPool {
    std::atomic<StoredText*> chunks[kChunkCount] = {};
    std::mutex lock;                 // held to add a text or look one up in `index`
    DescriptionId next = 1;          // 0 is the empty text, never stored
    std::vector<DescriptionId> index = std::vector<DescriptionId>(1024);  // open addressing; 0: free

    const StoredText& stored(DescriptionId id) const {
        return chunks[id >> kChunkBits].load(std::memory_order_acquire)[id & (kChunkSize - 1)];
    }

    void growIndex() {
        std::vector<DescriptionId> bigger(index.size() * 2);
        for (const DescriptionId id : index)
            if (id != kNoDescription) placeIn(bigger, id, std::hash<std::string_view>{}(stored(id).view()));
        index.swap(bigger);
    }
    static void placeIn(std::vector<DescriptionId>& table, DescriptionId id, std::size_t hash) {
        std::size_t slot = hash & (table.size() - 1);
        while (table[slot] != kNoDescription) slot = (slot + 1) & (table.size() - 1);
        table[slot] = id;
    }

    DescriptionId intern(std::string_view text, std::size_t hash) {
        std::lock_guard<std::mutex> hold(lock);
        std::size_t slot = hash & (index.size() - 1);
        for (; index[slot] != kNoDescription; slot = (slot + 1) & (index.size() - 1))
            if (stored(index[slot]).view() == text) return index[slot];
        if (next == 0) throw std::bad_alloc();  // four billion texts: memory runs out long before
        const DescriptionId id = next++;
        StoredText* chunk = chunks[id >> kChunkBits].load(std::memory_order_relaxed);
        if (!chunk) {
            chunk = new StoredText[kChunkSize];
            chunks[id >> kChunkBits].store(chunk, std::memory_order_release);
        }
        StoredText& entry = chunk[id & (kChunkSize - 1)];
        entry.size = static_cast<std::uint8_t>(text.size());
        std::memcpy(entry.bytes, text.data(), text.size());
        index[slot] = id;
        if (2 * (id + std::size_t{1}) > index.size()) growIndex();
        return id;
    }
};

namespace {

DescriptionPool& ownPool() {
    static DescriptionPool* pool = new DescriptionPool;  // kept to the end: points may outlive statics
    return *pool;
}

std::atomic<DescriptionPool*> adoptedPool{nullptr};

DescriptionPool& activePool() {
    DescriptionPool* adopted = adoptedPool.load(std::memory_order_acquire);
    return adopted ? *adopted : ownPool();
}

// Each thread remembers the numbers of the texts it met last, so reading a
// file, whose points repeat a few texts, seldom takes the lock.
struct RecentTexts {
    const DescriptionPool* pool = nullptr;
    DescriptionId ids[256] = {};
};

}  // namespace

DescriptionId internDescription(std::string_view text) {
    text = text.substr(0, std::min(text.size(), kLongestPooledText));
    if (text.empty()) return kNoDescription;
    DescriptionPool& pool = activePool();
    const std::size_t hash = std::hash<std::string_view>{}(text);
    thread_local RecentTexts recent;
    if (recent.pool != &pool) recent = RecentTexts{&pool, {}};
    DescriptionId& remembered = recent.ids[hash & 255];
    if (remembered != kNoDescription && pool.stored(remembered).view() == text) return remembered;
    remembered = pool.intern(text, hash);
    return remembered;
}

std::string_view descriptionText(DescriptionId id) {
    if (id == kNoDescription) return {};
    return activePool().stored(id).view();
}

DescriptionPool* programDescriptionPool() { return &activePool(); }

void adoptDescriptionPool(DescriptionPool* pool) { adoptedPool.store(pool, std::memory_order_release); }

}  // namespace vellacor
