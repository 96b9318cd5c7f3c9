#!/usr/bin/env bash
# Draws the fixed-size icons from vellacor.svg (needs Debian's librsvg2-bin).
# Run it only to change the icon; the pictures are kept in the repository.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$here/vellacor.svg" -o "$here/vellacor-$size.png"
done
