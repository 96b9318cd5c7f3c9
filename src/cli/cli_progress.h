#pragma once
#include <string>

namespace vellacor {

// A run's progress as the command line prints it on a terminal, a tick every
// 2.5 %, the tens as numbers:
// "0...10...20...30...40...50...60...70...80...90...100 - done."
// Printing begins once the run has gone on about a second, so quick runs
// print nothing, and never when not shown (stderr is no terminal, or --quiet).
class ProgressTicks {
public:
    explicit ProgressTicks(bool shown) : shown_(shown) {}

    // The text to print now that the run, begun `seconds` ago, is `fraction`
    // done. A fraction below one already printed prints nothing.
    std::string advance(double fraction, double seconds);
    // The rest of the line to "100 - done." and its end, once anything was
    // printed; the next run starts a new line.
    std::string finish();

private:
    bool shown_;
    int printed_ = -1;  // the last tick printed, 0 to 40
    int reached_ = 0;   // the furthest tick the run has got to
};

inline constexpr double kProgressShownAfterSeconds = 1.0;

}  // namespace vellacor
