#!/bin/sh
# A full lpDDR2 scan (1568 data lines) played into the Live tab at 115200 baud.
# Usage: bench/quillon_live/run.sh [BUILD_DIR] [LOG] [BAUD]
set -e
build=${1:-build}
here=$(dirname "$0")
log=${2:-$here/../../samples/quillon/lpddr2_pass/P7_VR2-0013.txt}
baud=${3:-115200}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
    /usr/bin/time -v "$build/bench/quillon_live/quillon_live_bench" "$log" "$baud" "$scratch" 2>&1 |
    grep -E '^(log|played|saved|GUI gaps|  in the longest|  machine|slowest|line to chart|repaints)|Maximum resident|Elapsed'
