#pragma once

namespace vellacor {

// Asks for the cache line at `p` ahead of its use. GCC 12 drops a
// __builtin_prefetch that sits behind some conditions inside an inlined
// loop, so on x86 the instruction is written out itself.
inline void prefetchLine(const void* p) {
#if defined(__x86_64__) || defined(__i386__)
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
#else
    __builtin_prefetch(p);
#endif
}

}  // namespace vellacor
