#!/usr/bin/env bash
# Mutation testing: how many small faults planted in the core would the tests
# catch? Each mutant (a comparison flipped or widened, && and || swapped, an
# off-by-one, the operands of a subtraction or division swapped; see
# scripts/mutate.py) is made in a copy of the committed tree, that layer's
# test program is rebuilt and run, and the mutant counts as killed when a test
# fails or the run times out. A mutant that does not compile is not counted.
#
# usage: scripts/mutants.sh [--rev REV] [--layers surface,water,import]
#                           [--count N] [--seed S] [--timeout SECONDS]
#   --rev REV       the commit to mutate (HEAD), so that two commits' tests
#                   can be measured against the same planted faults
#   --layers L,...  the folders of src/ to mutate, each tested by its own
#                   tests/<layer> program (surface,water,import)
#   --count N       mutants per layer (40), chosen with --seed S (1) from every
#                   place a mutation can be made
#   --timeout S     seconds a test run may take before it counts as killed (300)
# Prints each mutant's fate and, per layer, the share killed; the survivors
# are kept in build/mutants/survivors.txt. The scratch tree and its build stay
# in build/mutants, so a second run rebuilds only what a mutant touches.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rev=HEAD layers=surface,water,import count=40 seed=1 timeout_s=300
while (($# > 0)); do
  case "$1" in
    --rev) rev="$2"; shift 2 ;;
    --layers) layers="$2"; shift 2 ;;
    --count) count="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --timeout) timeout_s="$2"; shift 2 ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "mutants.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
  esac
done
[[ "$count" =~ ^[1-9][0-9]*$ && "$seed" =~ ^[0-9]+$ && "$timeout_s" =~ ^[1-9][0-9]*$ ]] ||
  { echo "mutants.sh: --count, --seed and --timeout take whole numbers" >&2; exit 2; }

work="$root/build/mutants"
tree="$work/tree"
build="$work/build"
mkdir -p "$work"
# The tests find the shared sample files beside the source tree.
[[ -e "$work/shared" || ! -d "$root/../shared" ]] || ln -s "$(cd "$root/../shared" && pwd)" "$work/shared"

# The commit checked out in a worktree of its own: a later run rewrites only
# the files that differ, so the build from an earlier run is reused.
commit=$(git -C "$root" rev-parse --verify "$rev^{commit}")
if [[ ! -e "$tree/.git" ]]; then
  git -C "$root" worktree prune
  git -C "$root" worktree add --detach -q "$tree" "$commit"
fi
git -C "$tree" reset --hard -q "$commit"

launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLACOR_GUI=OFF \
  -DVELLACOR_TESTS=ON "${launcher[@]}" > /dev/null

IFS=, read -r -a layer_list <<< "$layers"
targets=()
for layer in "${layer_list[@]}"; do
  [[ -d "$tree/src/$layer" && -d "$tree/tests/$layer" ]] || { echo "mutants.sh: no src/$layer with tests/$layer" >&2; exit 2; }
  targets+=("test_$layer")
done
echo "building the unmutated tests of $commit"
cmake --build "$build" --target "${targets[@]}" > "$work/build.log" 2>&1 ||
  { echo "mutants.sh: the unmutated tree does not build; see $work/build.log" >&2; exit 1; }

run_tests() {  # LAYER: 0 when every test passes
  (cd "$build/tests" && timeout "$timeout_s" "./test_$1" --gtest_brief=1 > /dev/null 2>&1)
}
for layer in "${layer_list[@]}"; do
  run_tests "$layer" || { echo "mutants.sh: test_$layer fails before any mutation" >&2; exit 1; }
done

: > "$work/survivors.txt"
summary=()
for layer in "${layer_list[@]}"; do
  killed=0 survived=0 unbuilt=0
  mapfile -t mutants < <(cd "$tree" && /usr/bin/python3 "$root/scripts/mutate.py" list "$seed" "$count" src/"$layer"/*.cpp)
  for mutant in "${mutants[@]}"; do
    read -r file line column kind old new <<< "$mutant"
    cp "$tree/$file" "$work/original"
    (cd "$tree" && /usr/bin/python3 "$root/scripts/mutate.py" apply "$file" "$line" "$column" "$old" "$new")
    if ! cmake --build "$build" --target "test_$layer" > "$work/mutant.log" 2>&1; then
      fate=unbuilt; unbuilt=$((unbuilt + 1))
    elif run_tests "$layer"; then
      fate=SURVIVED; survived=$((survived + 1)); echo "$mutant" >> "$work/survivors.txt"
    else
      fate=killed; killed=$((killed + 1))
    fi
    cp -p "$work/original" "$tree/$file"
    touch "$tree/$file"
    echo "$fate $file:$line $kind '${old//·/ }' -> '${new//·/ }'"
  done
  counted=$((killed + survived))
  share=$(mawk -v k="$killed" -v n="$counted" 'BEGIN { printf "%.1f", n ? 100 * k / n : 0 }')
  summary+=("$layer: $killed of $counted mutants killed ($share%), $unbuilt did not compile")
done
# Leave the tree's objects unmutated for the next run.
cmake --build "$build" --target "${targets[@]}" > /dev/null 2>&1 || true
echo
echo "mutants of $commit, seed $seed:"
printf '  %s\n' "${summary[@]}"
