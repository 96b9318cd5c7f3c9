#pragma once
#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vellacor {

// Big arrays are left on ordinary pages. On a virtual machine that hands the
// memory its guest frees back to the host, a fresh 2 MiB huge page costs the
// host's faults for the whole of it at once: asking for huge pages made a
// 4-million-point surface take 6-7.5 s in place of 3, most of it the
// kernel's, and a volume run of two 1-million-point surfaces 2-4 s in place
// of 1.5.

// Gives `advice` for the whole pages of `pageSize` bytes inside
// [data, data + bytes); a part page at either end is left alone. The advice
// goes `piece` bytes (a whole number of pages) at a time.
inline void adviseWholePages(void* data, std::size_t bytes, std::uintptr_t pageSize, int advice,
                             std::uintptr_t piece = UINTPTR_MAX) {
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + pageSize - 1) & ~(pageSize - 1);
    const std::uintptr_t last = (begin + bytes) & ~(pageSize - 1);
    for (std::uintptr_t at = first; at < last; at += std::min(piece, last - at))
        ::madvise(reinterpret_cast<void*>(at), std::min(piece, last - at), advice);
}

// Makes the kernel provide the pages of [data, data + bytes) now, zeroed and
// writable, so that whoever writes there later takes no page faults: another
// thread can pay for a big array's fresh memory while this one works. The
// contents are left as they are; only a hint. It is asked for 32 MiB at a
// time: the kernel holds the process's memory map while it fills a range,
// and any thread mapping memory meanwhile (a large allocation) waits for the
// whole range. Asked for 5 GB at once, it held up the triangulation it was
// making room for by 20 s on a 100-million-point site.
inline void prefaultPages(void* data, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    adviseWholePages(data, bytes, 4096, MADV_POPULATE_WRITE, std::uintptr_t{32} << 20);
#else
    (void)data;
    (void)bytes;
#endif
}

// Gives the whole pages inside [data, data + bytes) back to the system: they
// read as zeros afterwards. For a big working array whose front has been
// read for the last time while its results are being written elsewhere.
inline void discardPages(void* data, std::size_t bytes) { adviseWholePages(data, bytes, 4096, MADV_DONTNEED); }

}  // namespace vellacor
