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
  -DVELLACOR_SANITIZE=thread -DVELLACOR_GUI=OFF >/dev/null
cmake --build "$root/build/tsan" -j "$jobs"
(cd "$root/build/tsan" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp" ctest -j "$jobs" --output-on-failure)

# Fuzzers (clang's libFuzzer), each for a bounded time.
CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" -DVELLACOR_FUZZ=ON -DVELLACOR_GUI=OFF -DVELLACOR_TESTS=OFF >/dev/null
cmake --build "$root/build/fuzz" -j "$jobs"
for fuzzer in "$root"/build/fuzz/fuzz/fuzz_*; do
  [[ -x "$fuzzer" ]] || continue
  corpus="$root/build/fuzz/corpus-$(basename "$fuzzer")"
  mkdir -p "$corpus"
  "$fuzzer" -max_total_time="${VELLACOR_FUZZ_SECONDS:-20}" -max_len=4096 -rss_limit_mb=1024 \
    "$corpus" "$root/fuzz/seeds" >"$corpus.log" 2>&1 || { tail -40 "$corpus.log"; exit 1; }
  echo "$(basename "$fuzzer"): $(grep -c '' "$corpus.log") log lines, no crash"
done

# The whole suite under address and undefined-behaviour sanitizers, window tests offscreen.
cmake -S "$root" -B "$root/build/test" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVELLACOR_SANITIZE=address,undefined >/dev/null
cmake --build "$root/build/test" -j "$jobs"
cd "$root/build/test"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="detect_leaks=1" ctest -j "$jobs" --output-on-failure
