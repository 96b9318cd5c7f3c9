#pragma once
#include <array>
#include <functional>
#include <thread>

#include "model/site_document.h"

namespace vellacor {

// One thread slot per background stage. Starting a stage joins the slot's
// previous thread (already finished or cancelled) first, so at most one worker
// per stage exists and every thread is joined before the model goes away.
class WorkerThreads {
public:
    void start(StageId stage, std::function<void()> work);
    void join(StageId stage);
    void joinAll();

private:
    std::array<std::jthread, kStageCount> threads_;
};

}  // namespace vellacor
