#!/usr/bin/env bash
# Times whole runs of vellacor-cli beside peer programs doing the same job, in
# the same session, as a user meets them (process start, reading, exit):
#   info --surface FILE.xyz   beside bench/peer_cgal_surface (iostreams + CGAL)
#   info FILE (reading only)  beside bench/pandas_read_csv.py (pandas' C reader)
#   volume GROUND PAD         beside info --surface PAD (one surface built)
# Each round runs the program and its peer back to back, the order swapped
# every other round, and records wall seconds and peak RSS with /usr/bin/time.
# Prints the median of the rounds, their range, and the median and range of
# the same-round ratios program / peer. A missing peer leaves its column out.
#
# usage: bench/whole_runs.sh [--build DIR] [--rounds N] [--ten-million]
#                            [--xyz FILE] [--pnezd FILE] [--big-xyz FILE]
#   --build DIR     the Release build with -DVELLACOR_BENCH=ON (build/rel)
#   --rounds N      rounds of each comparison (5)
#   --xyz FILE      an XYZ file (three numbers a line, commas or spaces)
#                   instead of the generated 1,000,000 points
#   --pnezd FILE    a comma-separated "n,N,E,z,DESC" file instead of the
#                   generated 1,000,000 lines
#   --big-xyz FILE  also run the XYZ comparisons on FILE
#   --ten-million   also generate and run 10,000,000 points
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/rel"
rounds=5
xyz="" pnezd="" big="" ten=0
while (($# > 0)); do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --rounds) rounds="$2"; shift 2 ;;
    --xyz) xyz="$2"; shift 2 ;;
    --pnezd) pnezd="$2"; shift 2 ;;
    --big-xyz) big="$2"; shift 2 ;;
    --ten-million) ten=1; shift ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "whole_runs.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
  esac
done
[[ "$rounds" =~ ^[1-9][0-9]*$ ]] || { echo "whole_runs.sh: --rounds takes a whole number" >&2; exit 2; }

cli="$build/vellacor-cli"
cgal="$build/bench/peer_cgal_surface"
python=/usr/bin/python3
pandas_script="$root/bench/pandas_read_csv.py"
[[ -x "$cli" ]] || { echo "whole_runs.sh: no $cli; build it with -DCMAKE_BUILD_TYPE=Release -DVELLACOR_BENCH=ON" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "whole_runs.sh: needs GNU time at /usr/bin/time (Debian: time)" >&2; exit 1; }

have_cgal=1 have_pandas=1
if [[ ! -x "$cgal" ]]; then
  have_cgal=0
  echo "note: no $cgal (CGAL was not found when configuring; Debian: libcgal-dev); its column is left out"
fi
if ! "$python" -c "import pandas" 2>/dev/null; then
  have_pandas=0
  echo "note: $python cannot import pandas (Debian: python3-pandas); its column is left out"
fi

load_at_start=$(cut -d ' ' -f 1-3 /proc/loadavg)
work=$(mktemp -d "${TMPDIR:-/tmp}/whole_runs.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Random points over a 1000 m square, heights from a smooth formula; the
# seed is fixed so every run times the same file.
generate_xyz() {  # COUNT FILE
  mawk -v n="$1" 'BEGIN {
    srand(7)
    for (i = 0; i < n; ++i) {
      e = 500000 + 1000 * rand(); nn = 4000000 + 1000 * rand()
      z = 120 + 15 * sin((e - 500000) / 140) * cos((nn - 4000000) / 190) + 0.01 * (e - 500000)
      printf "%.3f,%.3f,%.3f\n", e, nn, z
    }
  }' > "$2"
}
generate_pnezd() {  # COUNT FILE
  mawk -v n="$1" 'BEGIN {
    srand(11)
    for (i = 1; i <= n; ++i) {
      e = 500000 + 1000 * rand(); nn = 4000000 + 1000 * rand()
      z = 120 + 15 * sin((e - 500000) / 140) * cos((nn - 4000000) / 190)
      printf "%d,%.3f,%.3f,%.3f,%s\n", i, nn, e, z, (i % 3 ? "GRND" : "TOPO")
    }
  }' > "$2"
}
if [[ -z "$xyz" ]]; then
  xyz="$work/points_1m.xyz"; echo "generating $xyz"; generate_xyz 1000000 "$xyz"
fi
if [[ -z "$pnezd" ]]; then
  pnezd="$work/points_1m.csv"; echo "generating $pnezd"; generate_pnezd 1000000 "$pnezd"
fi
if ((ten)) && [[ -z "$big" ]]; then
  big="$work/points_10m.xyz"; echo "generating $big"; generate_xyz 10000000 "$big"
fi
for f in "$xyz" "$pnezd" ${big:+"$big"}; do
  [[ -r "$f" ]] || { echo "whole_runs.sh: cannot read $f" >&2; exit 1; }
done

# One timed run: appends "SECONDS PEAK_KB" to FILE; the command's own output
# goes to FILE.out (the last run's), and a failure stops the script.
timed() {  # RESULTFILE COMMAND...
  local result="$1"; shift
  if ! /usr/bin/time -f "%e %M" -o "$work/time" "$@" > "$result.out" 2> "$result.err"; then
    echo "whole_runs.sh: failed: $*" >&2; cat "$result.err" >&2; exit 1
  fi
  tail -n 1 "$work/time" >> "$result"
}

rows=()  # "LABEL|PROGRAMFILE|PEERFILE|PEERNAME" (PEERFILE empty when the peer is missing)
peer_tail=""  # words after the file on the peer's command line
compare() {  # LABEL PEERNAME HAVEPEER "PROGRAM COMMAND" "PEER COMMAND" FILE
  local label="$1" peer="$2" have="$3" file="$6" key="$work/run${#rows[@]}"
  local -a program_cmd peer_cmd
  read -r -a program_cmd <<< "$4"
  read -r -a peer_cmd <<< "$5"
  cat "$file" > /dev/null  # both start from a file in the page cache
  echo "running $label ($rounds rounds)"
  for ((r = 0; r < rounds; ++r)); do
    if ((have && r % 2 == 1)); then timed "$key.peer" "${peer_cmd[@]}" "$file" ${peer_tail}; fi
    timed "$key.program" "${program_cmd[@]}" "$file"
    if ((have && r % 2 == 0)); then timed "$key.peer" "${peer_cmd[@]}" "$file" ${peer_tail}; fi
    # pandas also reports its parse alone (the process spends as long again
    # importing pandas): kept as a second peer, same runs, "SECONDS 0".
    if ((have)) && [[ "$peer" == pandas ]]; then
      sed -n 's/^pandas_read_csv median \([0-9.]*\) ms.*/\1/p' "$key.peer.out" |
        mawk '{ printf "%.4f 0\n", $1 / 1000 }' >> "$key.parse"
    fi
  done
  if ((have)); then rows+=("$label|$key.program|$key.peer|$peer"); else rows+=("$label|$key.program||$peer"); fi
  if ((have)) && [[ "$peer" == pandas ]]; then rows+=("$label|$key.program|$key.parse|pandas parse only"); fi
}

for f in "$xyz" ${big:+"$big"}; do
  name=$(basename "$f")
  compare "info --surface $name" cgal "$have_cgal" "$cli info --surface" "$cgal" "$f"
  # Say whether both made the same surface. The program merges points within
  # 5 mm of each other in both axes, so on dense random points it makes a few
  # triangles fewer (two for each point merged); anything else is a fault.
  if ((have_cgal)); then
    ours=$(sed -n 's/^triangles: //p' "$work/run$((${#rows[@]} - 1)).program.out")
    theirs=$(sed -n 's/^triangles: //p' "$work/run$((${#rows[@]} - 1)).peer.out")
    [[ "$ours" == "$theirs" ]] || echo "note: $name: vellacor-cli made $ours triangles, the CGAL peer $theirs"
  fi
  peer_tail=1  # one parse a process, as the program reads the file once
  compare "info $name" pandas "$have_pandas" "$cli info" "$python $pandas_script" "$f"
  peer_tail=""
done
# volume of rolling ground against a graded pad, 1,000,000 points each in
# millimetres, beside building the design alone: the pad (440 x 280 m,
# turned 30 degrees, at 110 m) has 1:3 side slopes down to the ground in
# fill and up to it in cut, and the design is the ground's own points where
# the grading does not reach, so the zero line winds round the pad and
# through it.
generate_pad_pair() {  # GROUNDFILE DESIGNFILE
  mawk -v n=1000000 -v ground="$1" -v design="$2" '
    function h(x, y) { return 100 + 25 * sin(0.013 * (x - 500000)) * cos(0.011 * (y - 4000000)) + 0.02 * (x - 500000) }
    function mm(v) { return sprintf("%.0f", v * 1000) }
    function graded(x, y,   u, v, d, reach) {  # sets z: the design height
      u = 0.8660254037844387 * (x - 500500) + 0.5 * (y - 4000500); u = (u < 0 ? -u : u) - 220
      v = -0.5 * (x - 500500) + 0.8660254037844387 * (y - 4000500); v = (v < 0 ? -v : v) - 140
      d = sqrt((u > 0 ? u * u : 0) + (v > 0 ? v * v : 0)); reach = d / 3; z = h(x, y)
      if (z > 110 + reach) { z = 110 + reach; return 1 }
      if (z < 110 - reach) { z = 110 - reach; return 1 }
      return 0
    }
    BEGIN {
      srand(5)
      for (i = 0; i < n; ++i) {
        x = 500000 + 1000 * rand(); y = 4000000 + 1000 * rand(); line = mm(x) " " mm(y) " " mm(h(x, y))
        print line > ground
        if (!graded(x, y)) { print line > design; ++kept }
      }
      while (kept < n) {
        x = 500000 + 1000 * rand(); y = 4000000 + 1000 * rand()
        if (graded(x, y)) { print mm(x) " " mm(y) " " mm(z) > design; ++kept }
      }
    }'
}
echo "generating the pad pair"
generate_pad_pair "$work/ground_1m.xyz" "$work/pad_1m.xyz"
cat "$work/ground_1m.xyz" > /dev/null
compare "volume ground pad" "info --surface pad" 1 "$cli volume $work/ground_1m.xyz" \
  "$cli info --surface --interval 1000" "$work/pad_1m.xyz"

# info reads a .csv as PNEZD by --format.
peer_tail=1
compare "info $(basename "$pnezd")" pandas "$have_pandas" "$cli info --format PNEZD" "$python $pandas_script" "$pnezd"
peer_tail=""

# The table: seconds and peak MB, median [min-max] of the rounds; ratios are
# program / peer within each round, median [min-max].
stats() {  # COLUMN FILE [FILE2: ratios COLUMN of FILE / FILE2 line by line]
  if (($# == 3)); then paste -d ' ' "$2" "$3"; else cat "$2"; fi |
    mawk -v c="$1" -v two=$(($# == 3)) '{
      v = two ? $(c) / $(c + 2) : $(c); if (c == 2 && !two) v /= 1024; print v
    }' | sort -g |
    mawk -v fmt="$([[ $1 == 2 && $# == 2 ]] && echo "%.0f" || echo "%.2f")" '
      { a[NR] = $1 }
      END { m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2
            printf fmt " [" fmt "-" fmt "]", m, a[1], a[NR] }'
}
echo
echo "whole runs, $rounds rounds each; $(nproc) cores, load average $load_at_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end"
printf '%-36s %-20s %-20s %-20s %-18s %-18s %s\n' case "vellacor s" "peer s" "ratio s" "vellacor MB" "peer MB" "ratio MB"
for row in "${rows[@]}"; do
  IFS='|' read -r label ours theirs peer <<< "$row"
  if [[ "$peer" == *"parse only" ]]; then
    printf '%-36s %-20s %-20s %-20s %-18s %-18s %s\n' "$label ($peer)" "$(stats 1 "$ours")" "$(stats 1 "$theirs")" \
      "$(stats 1 "$ours" "$theirs")" "$(stats 2 "$ours")" - -
  elif [[ -n "$theirs" ]]; then
    printf '%-36s %-20s %-20s %-20s %-18s %-18s %s\n' "$label ($peer)" "$(stats 1 "$ours")" "$(stats 1 "$theirs")" \
      "$(stats 1 "$ours" "$theirs")" "$(stats 2 "$ours")" "$(stats 2 "$theirs")" "$(stats 2 "$ours" "$theirs")"
  else
    printf '%-36s %-20s %-20s %-20s %-18s %-18s %s\n' "$label" "$(stats 1 "$ours")" "(no $peer)" - "$(stats 2 "$ours")" - -
  fi
done
