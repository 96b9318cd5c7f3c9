#pragma once
#include <exception>
#include <system_error>
#include <thread>
#include <utility>

namespace vellacor {

// Runs `here` while the other part runs elsewhere, then `awaitBeside` (which
// waits for that part and returns what it threw, if anything); a failure of
// either is passed on once both have stopped, `here`'s first.
template <class Here, class AwaitBeside>
void runHereBeside(Here&& here, AwaitBeside&& awaitBeside) {
    std::exception_ptr hereFailed;
    try {
        here();
    } catch (...) {
        hereFailed = std::current_exception();
    }
    const std::exception_ptr besideFailed = awaitBeside();
    if (hereFailed) std::rethrow_exception(hereFailed);
    if (besideFailed) std::rethrow_exception(besideFailed);
}

// Runs `beside` on a thread of its own while `here` runs on the calling
// thread, and returns when both are done; an exception from either is passed
// on once both have stopped, so no worker is left writing. Where no thread
// can be started the two simply run one after the other.
template <class Beside, class Here>
void runOnTwoCores(Beside&& beside, Here&& here) {
    std::exception_ptr besideFailed;
    std::thread worker;
    try {
        worker = std::thread([&] {
            try {
                beside();
            } catch (...) {
                besideFailed = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        beside();
        here();
        return;
    }
    runHereBeside(here, [&] {
        worker.join();
        return besideFailed;
    });
}

}  // namespace vellacor
