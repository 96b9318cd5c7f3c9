#pragma once
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vellacor {

// Gives `advice` for the whole pages of `pageSize` bytes inside
// [data, data + bytes); a part page at either end is left alone.
inline void adviseWholePages(void* data, std::size_t bytes, std::uintptr_t pageSize, int advice) {
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + pageSize - 1) & ~(pageSize - 1);
    const std::uintptr_t last = (begin + bytes) & ~(pageSize - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, advice);
}

// Asks the kernel to back the whole 2 MiB pages inside [data, data + bytes)
// with huge pages: a fresh array of hundreds of megabytes then costs a few
// hundred page faults instead of tens of thousands. Only a hint; a kernel
// that refuses it leaves the memory as it was.
inline void adviseHugePages(void* data, std::size_t bytes) {
    adviseWholePages(data, bytes, std::uintptr_t{2} << 20, MADV_HUGEPAGE);
}

// Makes the kernel provide the pages of [data, data + bytes) now, zeroed and
// writable, so that whoever writes there later takes no page faults: another
// thread can pay for a big array's fresh memory while this one works. The
// contents are left as they are; only a hint, as above.
inline void prefaultPages(void* data, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    adviseWholePages(data, bytes, 4096, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

// Gives the whole pages inside [data, data + bytes) back to the system: they
// read as zeros afterwards. For a big working array whose front has been
// read for the last time while its results are being written elsewhere.
inline void discardPages(void* data, std::size_t bytes) { adviseWholePages(data, bytes, 4096, MADV_DONTNEED); }

// Reserves room for `count` elements of `v`, on huge pages where the array
// is large, before anything is written to it.
template <class T>
void reserveOnHugePages(std::vector<T>& v, std::size_t count) {
    v.reserve(count);
    adviseHugePages(v.data(), v.capacity() * sizeof(T));
}

}  // namespace vellacor
