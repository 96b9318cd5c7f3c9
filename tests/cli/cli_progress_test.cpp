// The command line's progress: only with a terminal, only in a run that
// lasts, and every tick printed once, in order, whatever the stages report.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "cli/cli_progress.h"

namespace vellacor {
namespace {

TEST(CliProgress, ALongRunOnATerminalPrintsEveryTickOnceThenDone) {
    ProgressTicks ticks(true);
    std::string printed;
    // The first second is held back, then what was reached comes at once.
    printed += ticks.advance(0.3, 0.5);
    EXPECT_EQ(printed, "");
    printed += ticks.advance(0.32, 1.2);
    EXPECT_EQ(printed, "0...10...20...30");
    // A stage made again may report less: nothing is taken back or repeated.
    printed += ticks.advance(0.1, 1.3);
    printed += ticks.advance(0.31, 1.4);
    EXPECT_EQ(printed, "0...10...20...30");
    printed += ticks.advance(0.55, 1.5);
    // A whole run is finished by the end, not by a fraction of one.
    printed += ticks.advance(1.0, 1.6);
    EXPECT_EQ(printed, "0...10...20...30...40...50...60...70...80...90...");
    printed += ticks.finish();
    EXPECT_EQ(printed, "0...10...20...30...40...50...60...70...80...90...100 - done.\n");
    // The next run starts afresh.
    EXPECT_EQ(ticks.advance(0.0, 2.0), "0");
    EXPECT_EQ(ticks.finish(), "...10...20...30...40...50...60...70...80...90...100 - done.\n");
}

TEST(CliProgress, NothingWithoutATerminalOrInAQuickRun) {
    ProgressTicks notTerminal(false);
    EXPECT_EQ(notTerminal.advance(0.5, 5.0), "");
    EXPECT_EQ(notTerminal.advance(1.0, 9.0), "");
    EXPECT_EQ(notTerminal.finish(), "");

    ProgressTicks quick(true);
    EXPECT_EQ(quick.advance(0.9, 0.2), "");
    EXPECT_EQ(quick.advance(std::numeric_limits<double>::quiet_NaN(), 0.3), "");
    EXPECT_EQ(quick.finish(), "");
}

}  // namespace
}  // namespace vellacor
