#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "model/background_job.h"

namespace vellacor {
namespace {

TEST(BackgroundJob, AFinishedRunIsAdoptedOnceWithItsResultAndProgress) {
    std::atomic<double> progress{0.0};
    BackgroundJob<int> job;
    EXPECT_FALSE(job.adopt());  // nothing started
    job.start(progress, [](int& result, const JobControl& control) {
        result = 42;
        return control.carryOn(0.5);
    });
    job.wait();
    auto outcome = job.adopt();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->result, 42);
    EXPECT_TRUE(outcome->complete);
    EXPECT_DOUBLE_EQ(progress.load(), 0.5);
    EXPECT_FALSE(job.active());
    EXPECT_FALSE(job.adopt());
}

// A worker that would run for ever stops when asked, and what it leaves is
// marked incomplete even if it claims otherwise.
TEST(BackgroundJob, CancellingStopsAWorkerThatWouldNotEndByItself) {
    std::atomic<double> progress{0.0};
    BackgroundJob<int> job;
    std::atomic<bool> started{false};
    job.start(progress, [&](int& result, const JobControl& control) {
        started = true;
        while (!control.cancelled()) std::this_thread::sleep_for(std::chrono::microseconds(50));
        result = 1;
        return true;
    });
    while (!started) std::this_thread::sleep_for(std::chrono::microseconds(50));
    EXPECT_FALSE(job.finished());
    job.requestCancel();
    job.wait();
    auto outcome = job.adopt();
    ASSERT_TRUE(outcome);
    EXPECT_FALSE(outcome->complete);

    // Starting again replaces a run still going.
    job.start(progress, [](int&, const JobControl& control) {
        while (!control.cancelled()) std::this_thread::sleep_for(std::chrono::microseconds(50));
        return false;
    });
    job.start(progress, [](int& result, const JobControl&) {
        result = 7;
        return true;
    });
    job.wait();
    EXPECT_EQ(job.adopt()->result, 7);
}

TEST(BackgroundJob, AnAllocationFailureInTheWorkerIsReportedNotThrown) {
    std::atomic<double> progress{0.0};
    BackgroundJob<int> job;
    job.start(progress, [](int&, const JobControl&) -> bool { throw std::bad_alloc(); });
    job.wait();
    auto outcome = job.adopt();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->outOfMemory);
    EXPECT_FALSE(outcome->complete);
}

}  // namespace
}  // namespace vellacor
