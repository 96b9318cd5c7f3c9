#!/usr/bin/env bash
# Times the frames a user sees while orbiting, as whole runs of vellacor-cli:
# `render FILE --contours --frames N` (N frames, each a whole rebuild turning
# one degree, at 1280 x 720) less a `--frames 1` run of the same file, over N.
# With two builds, each round runs both back to back (the order swapped every
# other round) and the same-round ratio second / first is printed too.
#
# usage: bench/orbit_frames.sh [--rounds N] [--frames N] [--file FILE]... BUILD [OTHER_BUILD]
#   BUILD        a Release build folder holding vellacor-cli (build/rel)
#   --rounds N   rounds (5)
#   --frames N   frames of each timed run (300)
#   --file FILE  a site to orbit (may be given again); by default 100,000
#                random points over a 1000 m square (about 200,000 triangles)
set -euo pipefail
rounds=5 frames=300
files=() builds=()
while (($# > 0)); do
  case "$1" in
    --rounds) rounds="$2"; shift 2 ;;
    --frames) frames="$2"; shift 2 ;;
    --file) files+=("$2"); shift 2 ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "orbit_frames.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
    *) builds+=("$1"); shift ;;
  esac
done
[[ "$rounds" =~ ^[1-9][0-9]*$ && "$frames" =~ ^[1-9][0-9]*$ ]] ||
  { echo "orbit_frames.sh: --rounds and --frames take whole numbers" >&2; exit 2; }
((${#builds[@]} == 1 || ${#builds[@]} == 2)) || { echo "orbit_frames.sh: give one or two build folders" >&2; exit 2; }
for b in "${builds[@]}"; do
  [[ -x "$b/vellacor-cli" ]] || { echo "orbit_frames.sh: no $b/vellacor-cli" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "orbit_frames.sh: needs GNU time at /usr/bin/time (Debian: time)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/orbit_frames.XXXXXX")
trap 'rm -rf "$work"' EXIT
if ((${#files[@]} == 0)); then
  files=("$work/points_100k.xyz")
  mawk 'BEGIN {
    srand(7)
    for (i = 0; i < 100000; ++i) {
      e = 500000 + 1000 * rand(); n = 4000000 + 1000 * rand()
      z = 120 + 15 * sin((e - 500000) / 140) * cos((n - 4000000) / 190) + 0.01 * (e - 500000)
      printf "%.3f,%.3f,%.3f\n", e, n, z
    }
  }' > "${files[0]}"
fi

seconds() {  # CLI FILE FRAMES: wall seconds of one render
  /usr/bin/time -f "%e" -o "$work/time" "$1" render "$2" --out "$work/frame.png" --contours --frames "$3" > /dev/null 2>&1 ||
    { echo "orbit_frames.sh: $1 failed on $2" >&2; exit 1; }
  cat "$work/time"
}
per_frame() {  # CLI FILE: milliseconds a frame
  local many one
  many=$(seconds "$1" "$2" "$frames")
  one=$(seconds "$1" "$2" 1)
  mawk -v a="$many" -v b="$one" -v n="$frames" 'BEGIN { printf "%.2f\n", (a - b) * 1000 / (n - 1) }'
}
summary() {  # FILE: median [min-max] of its lines
  sort -n "$1" | mawk '{ v[NR] = $1 } END { printf "%.2f [%.2f-%.2f]", v[int((NR + 1) / 2)], v[1], v[NR] }'
}

echo "orbit frames, $rounds rounds of $frames frames; $(nproc) cores, load average $(cut -d ' ' -f 1-3 /proc/loadavg)"
for f in "${files[@]}"; do
  cat "$f" > /dev/null
  : > "$work/a"; : > "$work/b"; : > "$work/ratio"
  for ((r = 0; r < rounds; ++r)); do
    if ((${#builds[@]} == 1)); then
      per_frame "${builds[0]}/vellacor-cli" "$f" >> "$work/a"
      continue
    fi
    if ((r % 2 == 0)); then
      a=$(per_frame "${builds[0]}/vellacor-cli" "$f"); b=$(per_frame "${builds[1]}/vellacor-cli" "$f")
    else
      b=$(per_frame "${builds[1]}/vellacor-cli" "$f"); a=$(per_frame "${builds[0]}/vellacor-cli" "$f")
    fi
    echo "$a" >> "$work/a"; echo "$b" >> "$work/b"
    mawk -v a="$a" -v b="$b" 'BEGIN { printf "%.3f\n", b / a }' >> "$work/ratio"
  done
  name=$(basename "$f")
  echo "$name: ${builds[0]} $(summary "$work/a") ms a frame"
  if ((${#builds[@]} == 2)); then
    echo "$name: ${builds[1]} $(summary "$work/b") ms a frame; same-round ratio $(summary "$work/ratio")"
  fi
done
