#pragma once
#include <atomic>
#include <cstdint>
#include <thread>
#include <type_traits>

#include "system/two_cores.h"

namespace vellacor {

// A second thread kept for the two halves of every frame, as runOnTwoCores
// runs them. Starting a thread for each frame, and waking a core gone idle
// between frames, cost a few per cent of a moving view's frame: between the
// frames of a moving view this thread keeps watching for the next one for a
// moment, and only then sleeps.
class FrameWorker {
public:
    FrameWorker() = default;
    ~FrameWorker();
    FrameWorker(const FrameWorker&) = delete;
    FrameWorker& operator=(const FrameWorker&) = delete;

    // Whether `run` will run its two parts at once: false where no thread
    // can be started (it starts the thread the first time).
    bool startable();

    // Runs `beside` on the kept thread while `here` runs on the calling one,
    // and returns when both are done; an exception from either is passed on
    // once both have stopped. Where no thread can be started the two run one
    // after the other, `beside` first. Not to be called from two threads at once.
    template <class Beside, class Here>
    void run(Beside&& beside, Here&& here) {
        using Job = std::remove_reference_t<Beside>;
        if (!post([](void* job) { (*static_cast<Job*>(job))(); }, &beside)) {
            beside();
            here();
            return;
        }
        runHereBeside(here, [this] { return collect(); });
    }

private:
    enum State : std::uint32_t { kIdle, kPosted, kDone, kStop };
    // Hands the job to the thread; false when it cannot be started.
    bool post(void (*call)(void*), void* job);
    // Waits for the posted job; what it threw, if anything.
    std::exception_ptr collect();
    void serve();

    std::atomic<std::uint32_t> state_{kIdle};
    void (*call_)(void*) = nullptr;
    void* job_ = nullptr;
    std::exception_ptr failed_;
    std::thread thread_;
    bool cannotStart_ = false;
};

}  // namespace vellacor
