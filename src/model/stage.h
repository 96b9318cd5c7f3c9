#pragma once
#include <atomic>

namespace vellacor {

// The flags of one background stage. `running` is set when the worker starts and
// cleared by the worker when it ends or by the user interface to cancel it;
// `done` says the result is current. Workers publish their results before they
// set `done` (release); readers look at a result only after seeing `done` (acquire).
struct StageTriple {
    std::atomic<bool> enabled{true};
    std::atomic<bool> running{false};
    std::atomic<bool> done{false};

    void invalidate() {
        running = false;
        done = false;
    }
    void reset() {
        enabled = true;
        running = false;
        done = false;
    }
};

}  // namespace vellacor
