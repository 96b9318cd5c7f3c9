#pragma once
#include <atomic>
#include <chrono>
#include <thread>

namespace vellacor {

// Tells the processor this thread is only watching a value.
inline void relaxWhileWatching() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Waits until `ready(value)` holds for the atomic's value, and returns that
// value. Waits within a frame are short, and a thread put to sleep on a
// virtual machine can take a few hundred microseconds to be woken, so it
// first watches the value for up to `spin` (where a second core is there to
// change it), and only then sleeps until woken by a notify.
template <class T, class Ready>
T waitUntil(const std::atomic<T>& value, Ready ready, std::chrono::microseconds spin) {
    T seen = value.load(std::memory_order_acquire);
    if (ready(seen)) return seen;
    static const bool twoCores = std::thread::hardware_concurrency() >= 2;
    if (twoCores) {
        const auto giveUp = std::chrono::steady_clock::now() + spin;
        for (unsigned turn = 1;; ++turn) {
            relaxWhileWatching();
            seen = value.load(std::memory_order_acquire);
            if (ready(seen)) return seen;
            if (turn % 64 == 0 && std::chrono::steady_clock::now() >= giveUp) break;
        }
    }
    while (!ready(seen)) {
        value.wait(seen, std::memory_order_acquire);
        seen = value.load(std::memory_order_acquire);
    }
    return seen;
}

// How long a frame's threads watch for each other before sleeping.
inline constexpr std::chrono::microseconds kFrameSpin{500};

}  // namespace vellacor
