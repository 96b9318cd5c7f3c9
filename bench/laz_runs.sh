#!/usr/bin/env bash
# Times whole runs of `vellacor-cli info FILE.laz` beside the npm laz-perf
# decoder (WebAssembly, run by node: bench/lazperf_decode.mjs decodes every
# point of the same file), in alternate rounds, as a user meets them (process
# start, reading, exit). Prints each side's median seconds and range and the
# median and range of the same-round ratios program / peer.
#
# usage: bench/laz_runs.sh [--build DIR] [--rounds N] [FILE.laz ...]
#   --build DIR   a Release build (build/bench)
#   --rounds N    rounds per file (7)
#   FILE.laz      files to time (the two of bench/data when none are given)
# laz-perf is installed with npm into DIR/lazperf the first time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
rounds=7
files=()
while (($# > 0)); do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --rounds) rounds="$2"; shift 2 ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) files+=("$1"); shift ;;
  esac
done
((${#files[@]} > 0)) || files=("$root"/bench/data/lidar-500k-format1.laz "$root"/bench/data/lidar-500k-format6.laz)
cli="$build/vellacor-cli"
[[ -x "$cli" ]] || { echo "laz_runs.sh: no $cli; build it with -DCMAKE_BUILD_TYPE=Release" >&2; exit 1; }
peer_dir="$build/lazperf"
if [[ ! -d "$peer_dir/node_modules/laz-perf" ]]; then
  mkdir -p "$peer_dir"
  npm install --prefix "$peer_dir" --no-audit --no-fund laz-perf@0.0.7 >/dev/null
fi
cp "$root/bench/lazperf_decode.mjs" "$peer_dir/"

seconds() {  # wall seconds of one run of the command
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
median() { sort -g | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.4f (%.4f-%.4f)", m, a[1], a[NR]}'; }

echo "load at start: $(cut -d ' ' -f 1-3 /proc/loadavg)"
for file in "${files[@]}"; do
  ours=() theirs=() ratios=()
  for ((r = 0; r < rounds; ++r)); do
    if ((r % 2 == 0)); then
      a=$(seconds "$cli" info "$file")
      b=$(seconds node "$peer_dir/lazperf_decode.mjs" "$file")
    else
      b=$(seconds node "$peer_dir/lazperf_decode.mjs" "$file")
      a=$(seconds "$cli" info "$file")
    fi
    ours+=("$a") theirs+=("$b") ratios+=("$(echo "$a / $b" | bc -l)")
  done
  echo "$(basename "$file"): vellacor-cli info $(printf '%s\n' "${ours[@]}" | median) s," \
    "laz-perf $(printf '%s\n' "${theirs[@]}" | median) s, ratio $(printf '%s\n' "${ratios[@]}" | median)"
done
