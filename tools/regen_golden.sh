#!/usr/bin/env bash
# Regenerates the golden frames in tests/golden from the current build, after
# a change that is meant to alter the picture. Run from the repository.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
times="${GOLDEN_TIMES:-1500,5000,12000,24500,32000,42000,52000,68000,84000,98000,112000,125000}"
mkdir -p "$repo/tests/golden"
rm -f "$repo/tests/golden"/frame_*.png
cd "$repo/build"
./vavurava-capture --gl=compat --frames "$times" -o "$repo/tests/golden"
ls "$repo/tests/golden"
