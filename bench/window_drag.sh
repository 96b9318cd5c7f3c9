#!/usr/bin/env bash
# Counts the frames the window draws while the view is dragged round, as a
# user meets them: the program opens FILE under Xvfb, and once it has settled
# the left button is held and the mouse moved 3 pixels every 15 ms, 150 moves
# right then 150 back. Every frame the window paints while the button is down
# is counted by a probe on vellacor::paintFrame (perf, as root); the frames a
# second, each frame's own time and the peak memory of the run are printed.
#
# usage: bench/window_drag.sh [--build DIR] [--settle SECONDS] [--keep DIR] FILE
#   --build DIR        a Release build holding the window program (build/release)
#   --settle SECONDS   how long to leave the program to open FILE (45), after
#                      taking the offered answer to a LAS file's class question
#   --keep DIR         keep the screenshots before, during and after the drag there
# Needs Xvfb, xdotool, ImageMagick's import and perf with uprobes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release" settle=45 keep=""
while (($# > 0)); do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --settle) settle="$2"; shift 2 ;;
    --keep) keep="$2"; shift 2 ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "window_drag.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
    *) break ;;
  esac
done
(($# == 1)) || { echo "window_drag.sh: give one FILE (try --help)" >&2; exit 2; }
file=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
program="$build/vellacor"
[[ -x "$program" ]] || { echo "window_drag.sh: no $program" >&2; exit 1; }
for tool in Xvfb xdotool import perf; do
  command -v "$tool" >/dev/null || { echo "window_drag.sh: needs $tool" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/window_drag.XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  perf probe -q -d 'probe_vellacor:drag*' 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The probe goes on the function's address: a Release build has no debug information.
address=$(nm "$program" | awk '$3 == "_ZN8vellacor10paintFrameERNS_9SiteModelERNS_2UiEiiRNS_8RgbImageE" { print "0x" $1 }')
[[ -n "$address" ]] || { echo "window_drag.sh: no paintFrame in $program" >&2; exit 1; }
perf probe -q -d 'probe_vellacor:drag*' 2>/dev/null || true
perf probe -q -x "$program" -a "dragstart=$address" -a "dragend=$address%return"

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1400x900x24 >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
sleep 1
"$program" "$file" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)
# A LAS or LAZ file asks which point classes to keep, a text file may ask its
# format: the offered answer is taken, and the settling time starts then.
for _ in $(seq 20); do
  question=$(xdotool search --onlyvisible --name '^(Point Classes|Select File Format)$' 2>/dev/null | head -1 || true)
  if [[ -n "$question" ]]; then
    xdotool windowactivate --sync "$question" 2>/dev/null || true
    xdotool key --clearmodifiers Return
    break
  fi
  sleep 0.5
done
sleep "$settle"
window=$(xdotool search --sync --onlyvisible --name "Vellacor" | head -1)
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool windowmove "$window" 0 0
sleep 2
import -window root "$work/before.png"

# Only frames drawn while the button is down are recorded.
xdotool mousemove 700 450 mousedown 1
perf record -q -e probe_vellacor:dragstart -e probe_vellacor:dragend__return -p "$program_pid" \
  -o "$work/probe.data" >/dev/null 2>&1 &
perf_pid=$!
for _ in $(seq 150); do xdotool mousemove_relative -- 3 0; sleep 0.015; done
for _ in $(seq 150); do xdotool mousemove_relative -- -3 0; sleep 0.015; done
kill -INT "$perf_pid"
wait "$perf_pid" 2>/dev/null || true
import -window root "$work/during.png"
xdotool mouseup 1
sleep 3
import -window root "$work/after.png"
peak=$(awk '/VmHWM/ { printf "%.2f GiB", $2 / 1048576 }' "/proc/$program_pid/status")

perf script -i "$work/probe.data" -F time,event 2>/dev/null | mawk -v peak="$peak" '
  { t = $1 + 0 }
  $2 ~ /dragstart/ { start[++n] = t }
  $2 ~ /dragend/ && n > 0 { ms[n] = (t - start[n]) * 1000 }
  END {
    if (n < 3) { print "window_drag.sh: too few frames were drawn"; exit 1 }
    m = 0
    for (i = 1; i <= n; ++i) if (i in ms) sorted[++m] = ms[i]
    for (i = 1; i <= m; ++i) for (j = i + 1; j <= m; ++j) if (sorted[j] < sorted[i]) { x = sorted[i]; sorted[i] = sorted[j]; sorted[j] = x }
    printf "frames while dragged: %d in %.2f s, %.1f a second\n", n - 1, start[n] - start[1], (n - 1) / (start[n] - start[1])
    printf "a frame takes %.1f ms (median), %.1f ms at most\n", sorted[int((m + 1) / 2)], sorted[m]
    printf "peak memory of the run: %s\n", peak
  }'
if [[ -n "$keep" ]]; then
  mkdir -p "$keep"
  cp "$work/before.png" "$work/during.png" "$work/after.png" "$keep/"
fi
