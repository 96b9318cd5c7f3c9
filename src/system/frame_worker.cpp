#include "system/frame_worker.h"

#include <chrono>
#include <system_error>

#include "system/spin_wait.h"

namespace vellacor {

namespace {

// Long enough to span the work between the frames of a moving view; a still
// view leaves the thread asleep.
constexpr std::chrono::microseconds kBetweenFrames{2000};

void setAndWake(std::atomic<std::uint32_t>& state, std::uint32_t value) {
    state.store(value, std::memory_order_release);
    state.notify_all();
}

}  // namespace

FrameWorker::~FrameWorker() {
    if (!thread_.joinable()) return;
    setAndWake(state_, kStop);
    thread_.join();
}

bool FrameWorker::startable() {
    if (thread_.joinable()) return true;
    if (cannotStart_) return false;
    try {
        thread_ = std::thread([this] { serve(); });
    } catch (const std::system_error&) {
        cannotStart_ = true;
    }
    return !cannotStart_;
}

bool FrameWorker::post(void (*call)(void*), void* job) {
    if (!startable()) return false;
    call_ = call;
    job_ = job;
    failed_ = nullptr;
    setAndWake(state_, kPosted);
    return true;
}

std::exception_ptr FrameWorker::collect() {
    waitUntil(state_, [](std::uint32_t s) { return s == kDone; }, kFrameSpin);
    state_.store(kIdle, std::memory_order_relaxed);
    return failed_;
}

void FrameWorker::serve() {
    for (;;) {
        const std::uint32_t s =
            waitUntil(state_, [](std::uint32_t v) { return v == kPosted || v == kStop; }, kBetweenFrames);
        if (s == kStop) return;
        try {
            call_(job_);
        } catch (...) {
            failed_ = std::current_exception();
        }
        setAndWake(state_, kDone);
    }
}

}  // namespace vellacor
