#include "app/workers.h"

namespace vellacor {

void WorkerThreads::start(StageId stage, std::function<void()> work) {
    auto& slot = threads_[static_cast<int>(stage)];
    if (slot.joinable()) slot.join();
    slot = std::jthread(std::move(work));
}

void WorkerThreads::join(StageId stage) {
    auto& slot = threads_[static_cast<int>(stage)];
    if (slot.joinable()) slot.join();
}

void WorkerThreads::joinAll() {
    for (auto& t : threads_)
        if (t.joinable()) t.join();
}

}  // namespace vellacor
