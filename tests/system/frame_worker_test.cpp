#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "system/frame_worker.h"

namespace vellacor {
namespace {

// The two parts of each frame meet halfway, which they can only do running
// at once, and a frame starts after the last has wholly ended.
TEST(FrameWorker, BothPartsOfEveryFrameRunAtOnce) {
    FrameWorker worker;
    ASSERT_TRUE(worker.startable());
    std::atomic<int> besideArrived{0}, hereArrived{0};
    int besideFrames = 0;
    for (int frame = 1; frame <= 200; ++frame) {
        worker.run(
            [&] {
                besideArrived.store(frame);
                while (hereArrived.load() != frame) {
                }
                ++besideFrames;
            },
            [&] {
                hereArrived.store(frame);
                while (besideArrived.load() != frame) {
                }
            });
        ASSERT_EQ(besideFrames, frame);  // written by the other thread, seen once run returns
    }
}

// A failure in either part is passed on once both have stopped, and the
// next frame runs as usual.
TEST(FrameWorker, AFailureInEitherPartIsPassedOnAfterBothStop) {
    FrameWorker worker;
    bool hereFinished = false, besideFinished = false;
    EXPECT_THROW(worker.run([] { throw std::runtime_error("beside"); }, [&] { hereFinished = true; }),
                 std::runtime_error);
    EXPECT_TRUE(hereFinished);
    EXPECT_THROW(worker.run([&] { besideFinished = true; }, [] { throw std::logic_error("here"); }), std::logic_error);
    EXPECT_TRUE(besideFinished);
    bool besideRan = false, hereRan = false;
    worker.run([&] { besideRan = true; }, [&] { hereRan = true; });
    EXPECT_TRUE(besideRan && hereRan);
}

}  // namespace
}  // namespace vellacor
