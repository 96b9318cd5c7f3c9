#!/usr/bin/env bash
# Builds everything with the address and undefined-behaviour sanitizers and
# runs the whole test suite; then the threaded tests under ThreadSanitizer and
# the file-reader fuzzers for a short, bounded time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/bootstrap.sh"

# The layers first: no include may point up the README's Layout list (the
# check's own test runs it against a copy of the tree with upward includes).
/usr/bin/python3 "$root/scripts/check-layers.py" "$root"
/usr/bin/python3 "$root/scripts/check_layers_test.py" -q

# ThreadSanitizer: every test of the core (no window).
cmake -S "$root" -B "$root/build/tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELLACOR_SANITIZE=thread -DVELLACOR_GUI=OFF -DVELLACOR_WERROR=ON >/dev/null
cmake --build "$root/build/tsan" -j "$jobs"
(cd "$root/build/tsan" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp" ctest -j "$jobs" --output-on-failure)

# Fuzzers (clang's libFuzzer), each for a bounded time, inputs up to 1 MB
# with a time limit per input.
"$root/scripts/fuzz.sh"

# The whole suite under address and undefined-behaviour sanitizers, window tests offscreen.
cmake -S "$root" -B "$root/build/test" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVELLACOR_SANITIZE=address,undefined -DVELLACOR_WERROR=ON >/dev/null
cmake --build "$root/build/test" -j "$jobs"
cd "$root/build/test"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="detect_leaks=1" ctest -j "$jobs" --output-on-failure
