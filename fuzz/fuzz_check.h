#pragma once

namespace vellacor::fuzzing {

// A broken promise of a reader is a finding: stop as a crash would.
inline void check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace vellacor::fuzzing
