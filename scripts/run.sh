#!/usr/bin/env bash
# Builds the program (optimised) and starts it on FILE, or on the bundled
# sample site when no file is given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLACOR_TESTS=OFF >/dev/null
cmake --build "$root/build/release" --target vellacor vellacor-cli
exec "$root/build/release/vellacor" "$@"
