#!/usr/bin/env bash
# Renders the screenshots the AppStream metadata names, as the window shows
# them, into OUT_DIR; they are published under the home page's screenshots/.
#   make-screenshots.sh VELLACOR_CLI OUT_DIR
set -euo pipefail
cli=$1 out=$2
sample=$(cd "$(dirname "$0")/.." && pwd)/samples/sample-site.txt
mkdir -p "$out"
"$cli" render "$sample" --out "$out/site-contours.png" --size 1280x720 --contours
"$cli" render "$sample" --out "$out/site-plan-triangles.png" --size 1280x720 --view plan --triangles
