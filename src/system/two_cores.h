#pragma once
#include <exception>
#include <system_error>
#include <thread>
#include <utility>

namespace vellacor {

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
    std::exception_ptr hereFailed;
    try {
        here();
    } catch (...) {
        hereFailed = std::current_exception();
    }
    worker.join();
    if (hereFailed) std::rethrow_exception(hereFailed);
    if (besideFailed) std::rethrow_exception(besideFailed);
}

}  // namespace vellacor
