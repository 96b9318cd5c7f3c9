#!/usr/bin/env bash
# Runs every file-reader fuzzer for MINUTES minutes each (default: the short
# bounded run of the test suite, VELLACOR_FUZZ_SECONDS seconds, 20 unless set).
# Inputs go up to 1 MB and each must finish within the per-input time limit,
# so a quadratic path is reported like a crash. Prints, per target, the edges
# covered, inputs per second and findings.
#
# A timed run (MINUTES given) also folds what the fuzzer found into the
# committed seeds, fuzz/corpus/<target>: the fewest inputs of at most 512
# bytes that cover what the run reached, so the seeds stay small.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
if [[ $# -ge 1 ]]; then
  seconds=$(($1 * 60))
  keep=1
else
  seconds=${VELLACOR_FUZZ_SECONDS:-20}
  keep=0
fi
max_len=$((1 << 20))
per_input_seconds=${VELLACOR_FUZZ_TIMEOUT:-10}

CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" -DVELLACOR_FUZZ=ON -DVELLACOR_GUI=OFF -DVELLACOR_TESTS=OFF -DVELLACOR_WERROR=ON >/dev/null
cmake --build "$root/build/fuzz" -j "$jobs"

failed=0
for fuzzer in "$root"/build/fuzz/fuzz/fuzz_*; do
  [[ -x "$fuzzer" ]] || continue
  name=$(basename "$fuzzer")
  work="$root/build/fuzz/corpus-$name"
  seeds="$root/fuzz/corpus/$name"
  artifacts="$root/build/fuzz/findings-$name/"
  rm -rf "$artifacts"
  mkdir -p "$work" "$seeds" "$artifacts"
  log="$work.log"
  status=0
  "$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout="$per_input_seconds" -rss_limit_mb=2048 -len_control=0 \
    -print_final_stats=1 -artifact_prefix="$artifacts" "$work" "$seeds" "$root/fuzz/seeds" >"$log" 2>&1 || status=$?
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  speed=$(grep -o 'exec/s: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  findings=$(find "$artifacts" -type f | wc -l)
  echo "$name: ${edges:-?} edges, ${speed:-?} inputs/s, $findings findings"
  if [[ $status -ne 0 || $findings -ne 0 ]]; then
    tail -40 "$log"
    failed=1
  elif [[ $keep -eq 1 ]]; then
    # The fewest inputs of at most 512 bytes that keep every feature covered.
    fresh=$(mktemp -d)
    "$fuzzer" -set_cover_merge=1 -max_len=512 -timeout="$per_input_seconds" "$fresh" "$seeds" "$work" >>"$log" 2>&1
    rm -rf "$seeds"
    mv "$fresh" "$seeds"
    chmod 755 "$seeds"
  fi
done
exit $failed
