#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <thread>

namespace vellacor {

// What a running worker sees of its job: whether to carry on, and where to
// report how far it has got.
class JobControl {
public:
    JobControl(const std::atomic<bool>& cancelled, std::atomic<double>& progress)
        : cancelled_(cancelled), progress_(progress) {}

    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    // Reports the fraction done; false once the job has been cancelled.
    bool carryOn(double fraction) const {
        progress_.store(fraction, std::memory_order_relaxed);
        return !cancelled();
    }

private:
    const std::atomic<bool>& cancelled_;
    std::atomic<double>& progress_;
};

// How a finished run ended.
template <class Result>
struct JobOutcome {
    Result result;
    bool complete = false;     // the work ran to its end, not cancelled
    bool outOfMemory = false;  // an allocation failed in the worker
};

// One background worker at a time and the result it computes. The pattern of
// every stage: the user-interface thread starts the job; the worker writes
// only into its own result and the shared progress value; the user-interface
// thread sees `finished()` and adopts the result, applying its effects on the
// rest of the program itself. Cancelling sets the run's one flag and waits.
template <class Result>
class BackgroundJob {
public:
    // The work returns true when it ran to its end.
    using Work = std::function<bool(Result&, const JobControl&)>;

    BackgroundJob() = default;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;
    ~BackgroundJob() { cancel(); }

    // Cancels any earlier run, then runs `work` on a new thread.
    void start(std::atomic<double>& progress, Work work) {
        cancel();
        run_ = std::make_shared<Run>();
        thread_ = std::jthread([run = run_, &progress, work = std::move(work)] {
            const JobControl control(run->cancelled, progress);
            try {
                run->outcome.complete = work(run->outcome.result, control) && !control.cancelled();
            } catch (const std::bad_alloc&) {
                run->outcome = {};
                run->outcome.outOfMemory = true;
            }
            run->finished.store(true, std::memory_order_release);
        });
    }

    // A run has been started and not yet adopted or cancelled.
    bool active() const { return run_ != nullptr; }

    // The worker has returned; its result may be adopted.
    bool finished() const { return run_ && run_->finished.load(std::memory_order_acquire); }

    // Asks the worker to stop without waiting for it: its result is dropped at adoption.
    void requestCancel() {
        if (run_) run_->cancelled.store(true, std::memory_order_relaxed);
    }

    // Waits for the worker to return; its result stays for adopt().
    void wait() {
        if (thread_.joinable()) thread_.join();
    }

    // Stops the worker, waits for it and forgets its result.
    void cancel() {
        requestCancel();
        if (thread_.joinable()) thread_.join();
        run_.reset();
    }

    // The outcome of a finished run, handed over once; nothing while the
    // worker is still busy or after no run.
    std::optional<JobOutcome<Result>> adopt() {
        if (!finished()) return std::nullopt;
        wait();
        const std::shared_ptr<Run> run = std::move(run_);
        if (run->cancelled.load(std::memory_order_relaxed)) run->outcome.complete = false;
        return std::move(run->outcome);
    }

private:
    struct Run {
        JobOutcome<Result> outcome;
        std::atomic<bool> cancelled{false};
        std::atomic<bool> finished{false};
    };
    std::shared_ptr<Run> run_;
    std::jthread thread_;
};

}  // namespace vellacor
